#include "shell/system_clock.h"

#include <QDateTime>

namespace vornakka {

TimeOfDay SystemClock::utcTimeOfDay() {
    const QTime now = QDateTime::currentDateTimeUtc().time();
    return TimeOfDay{now.hour(), now.minute(), now.second(), now.msec()};
}

}  // namespace vornakka
