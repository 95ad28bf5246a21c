#!/usr/bin/env bash
# The README names the packages each of the two commands installs: the lists
# between its "play packages" and "test packages" markers must be exactly the
# lists in tools/deps.sh.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
from_deps() { sed -n "/^$1=(/,/^)/p" "$repo/tools/deps.sh" | sed '1d;$d' | tr -s ' \n' '\n\n' | sed '/^$/d' | sort; }
from_readme() { sed -n "/^<!-- $1 -->/,/^<!-- end -->/p" "$repo/README.md" | sed '1d;$d' | tr -s ' \n' '\n\n' | tr -d '`' | sed '/^$/d' | sort; }
status=0
for list in run:play test:test; do
  deps=${list%%:*} readme=${list##*:}
  if ! diff <(from_deps "${deps}_packages") <(from_readme "$readme packages") > /dev/null; then
    echo "FAIL: the README's $readme packages differ from tools/deps.sh's ${deps}_packages (< deps.sh, > README):" >&2
    diff <(from_deps "${deps}_packages") <(from_readme "$readme packages") >&2 || true
    status=1
  fi
done
((status == 0)) && echo "the README names every package of tools/deps.sh"
exit $status
