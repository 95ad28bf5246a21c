#include "shell/start_up_error.h"

#include <dlfcn.h>

#include <QMessageBox>

#include "vornakka/cp1252.h"
#include "vornakka/failure.h"
#include "vornakka/sound_players.h"

namespace vornakka {

WindowBuildError::WindowBuildError(std::string kind, const std::string& message, std::uintptr_t address)
    : std::runtime_error(message), kind_(std::move(kind)), address_(address) {}

std::uintptr_t moduleRelative(const void* address) {
    Dl_info info{};
    if (address == nullptr || dladdr(address, &info) == 0 || info.dli_fbase == nullptr) return 0;
    return reinterpret_cast<std::uintptr_t>(address) - reinterpret_cast<std::uintptr_t>(info.dli_fbase);
}

void openPlayer(SoundPlayers& players, SoundCue cue) {
    try {
        players.open(cue);
    } catch (const Failure& failure) {
        const void* caller = __builtin_extract_return_addr(__builtin_return_address(0));
        throw WindowBuildError(failure.kind(), failure.what(), moduleRelative(caller));
    }
}

QString applicationErrorText(const std::string& kind, const QString& module, std::uintptr_t address,
                             const std::string& message) {
    std::string tail = message;
    if (tail.empty() || tail.back() != '.') tail += '.';
    const auto where = static_cast<qulonglong>(address & 0xFFFFFFFFu);
    return QStringLiteral("Exception %1 in module %2 at %3.\n%4")
        .arg(QString::fromStdString(cp1252ToUtf8(kind)), module,
             QStringLiteral("%1").arg(where, 8, 16, QLatin1Char('0')).toUpper(),
             QString::fromStdString(cp1252ToUtf8(tail)));
}

void showApplicationError(const QString& text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Application Error"), text, QMessageBox::Ok);
    box.setObjectName(QStringLiteral("ApplicationErrorBox"));
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

}  // namespace vornakka
