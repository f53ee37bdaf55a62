#!/bin/sh
# Refreshes one translation source from the sources' tr() texts: update_ts.sh LUPDATE TS DIR...
# lupdate does not read C++17 nested namespaces ("namespace vc::gui {"), so it names the contexts
# of the desktop's classes without their namespace; at run time they are "vc::gui::<class>".
# The namespace is taken off before lupdate runs (so the translations match) and put back after.
set -e
lupdate=$1 ts=$2
shift 2
if [ -f "$ts" ]; then
    sed -i -E 's|<name>vc::gui::([A-Za-z_][A-Za-z0-9_]*)</name>|<name>\1</name>|' "$ts"
fi
"$lupdate" -silent -no-obsolete -locations none -source-language zh_CN -target-language en "$@" -ts "$ts"
sed -i -E 's|<name>([A-Za-z_][A-Za-z0-9_]*)</name>|<name>vc::gui::\1</name>|' "$ts"
