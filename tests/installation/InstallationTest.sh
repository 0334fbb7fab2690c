#!/usr/bin/env bash
# End-to-end test of a real installation. In a mount namespace of its own (the folders an
# installation writes get private layers, so this computer's /etc, /opt, /usr/share, /home
# and group database stay untouched) the build is installed with `cmake --install`, default
# prefix, every component. A staff account added to the installation's group then runs the
# installed program in a virtual display (Xvfb) with nothing but its own environment (no
# ODBCSYSINI, ODBCINI or XDG_* settings), driven with xdotool like a user: the start-up
# update replaces an outdated update tool in the program folder, sign-in, the IDs of a
# generated older-edition customer and an empty newer-edition one, 시작, the question, the
# completion message. Then: both data sources are in the system odbc.ini, the IDs in the
# account's own settings, the target equal to the source table by table. An account outside
# the group gets a plain message at the data-source step and a usable program; without a
# display the program says so in one line and ends with its own status.
#   InstallationTest.sh SOURCE_DIR BUILD_DIR TEST_DB_DIR
# Screenshots and logs stay in BUILD_DIR/tests/installation/screenshots/.
set -euo pipefail
source_dir=$1 build=$2 db=$3
fail() { echo "FAILED: $*" >&2; exit 1; }

if [ -z "${NUTV_INSTALLATION_NAMESPACE:-}" ]; then
    [ "$(id -u)" -eq 0 ] || fail "the installation test needs root (it installs, adds a group and accounts)"
    unshare --mount true 2>/dev/null || fail "no mount namespace available"
    NUTV_INSTALLATION_NAMESPACE=1 exec unshare --mount --propagation private "$0" "$@"
fi

export NUTV_SOURCE=$source_dir NUTV_DB_DIR=$db NUTV_BUILT_IN_VALUES=$build/built-in-values.sh LANG=C.UTF-8 LC_ALL=C.UTF-8
# shellcheck source=../../scripts/lib/session.sh
source "$source_dir/scripts/lib/session.sh"

prefix=/opt/nuritarn-to-nurivelm
program=$prefix/$NUTV_PROGRAM_NAME
work=$build/tests/installation/work
shots=$build/tests/installation/screenshots
rm -rf "$shots" "$work"
mkdir -p "$shots" "$work/layers"
suffix=$(printf '%05d%03d' $$ $((RANDOM % 1000)))
signin=e2eu$suffix password=pw$suffix staff=nutvstaff$suffix outsider=nutvother$suffix
source_id=e2es$suffix target_id=e2et$suffix
source_db=maketarn_$source_id target_db=makevelm_$target_id
program_pid='' made_adapter=''

cleanup() {
    set +e
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
    [ -n "${NUTV_HTTP_PID:-}" ] && kill "$NUTV_HTTP_PID" 2>/dev/null
    [ -n "${NUTV_XVFB_PID:-}" ] && kill "$NUTV_XVFB_PID" 2>/dev/null
    [ -n "$made_adapter" ] && ip link del "$made_adapter" 2>/dev/null
    nutv_sql >/dev/null 2>&1 <<SQL
DROP DATABASE IF EXISTS \`$source_db\`;
DROP DATABASE IF EXISTS \`$target_db\`;
DELETE FROM app_admin.app_priv WHERE app_dbname IN ('$source_db', '$target_db');
DELETE FROM vr_inhouse.user WHERE id = '$signin';
DELETE FROM vr_inhouse.user_mac WHERE user_id = '$signin';
DROP USER IF EXISTS '$source_id'@'127.0.0.%', '$target_id'@'127.0.0.%';
SQL
    # The private layers go with this namespace; only the work folder's files remain.
    umount -l "$work/layers" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

echo "== private layers over what an installation writes"
mount -t tmpfs nutv-layers "$work/layers"
for folder in /etc /usr/share /opt /home /var/mail /var/log /var/lib/xkb; do
    [ -d "$folder" ] || continue
    layer=$work/layers/$(echo "$folder" | tr / _)
    mkdir -p "$layer/upper" "$layer/work"
    mount -t overlay overlay -o "lowerdir=$folder,upperdir=$layer/upper,workdir=$layer/work" "$folder" ||
        fail "no private layer over $folder"
done
mount -t tmpfs nutv-tmp /tmp  # the display's socket, the accounts' lock and runtime files

echo "== install (cmake --install, default prefix, every component)"
installed_prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")
[ "$installed_prefix" = "$prefix" ] || fail "the build's install prefix is $installed_prefix, not the default $prefix"
cmake --install "$build" >"$shots/install.log" 2>&1 || { cat "$shots/install.log" >&2; fail "cmake --install failed"; }
for file in "$NUTV_PROGRAM_NAME" UpdProbeV1.exe swapkit.exe; do
    [ -x "$prefix/$file" ] || fail "$file is not in the program folder"
done
[ "$(stat -c '%G %a' "$prefix")" = "nurivelm 2775" ] || fail "program folder: $(stat -c '%G %a' "$prefix")"
[ "$(stat -c '%G %a' /etc/odbc.ini)" = "nurivelm 664" ] || fail "/etc/odbc.ini: $(stat -c '%G %a' /etc/odbc.ini)"
grep -qx "Exec=\"$program\"" /usr/share/applications/nuritarn-to-nurivelm.desktop || fail "no menu entry for $program"
[ -f /usr/share/icons/hicolor/48x48/apps/nuritarn-to-nurivelm.png ] || fail "no menu icon"

useradd --create-home --no-log-init --groups nurivelm "$staff"
useradd --create-home --no-log-init "$outsider"
# Runs the installed program as ACCOUNT with only the environment its own login gives.
run_as() {
    local account=$1
    shift
    setpriv --reuid "$account" --regid "$account" --init-groups --reset-env env LANG=C.UTF-8 LC_ALL=C.UTF-8 "$@"
}

echo "== without a display"
status=0
run_as "$staff" "$program" >"$shots/no-display.out" 2>"$shots/no-display.err" || status=$?
[ "$status" -ne 0 ] && [ "$status" -ne 134 ] || fail "without a display the program ended with status $status"
[ "$(wc -l <"$shots/no-display.err")" -eq 1 ] || { cat "$shots/no-display.err" >&2; fail "not one line on stderr"; }
grep -q '디스플레이' "$shots/no-display.err" && grep -q 'display' "$shots/no-display.err" ||
    fail "the no-display line is not in Korean and English: $(cat "$shots/no-display.err")"

# This computer's adapter, as the admission check sees it. The test's network namespace
# has only its loopback: it gets an adapter of its own for the time of the test.
if ! mac=$("$build/demo/nutv-machine-address" 2>/dev/null); then
    made_adapter=nutvins$((RANDOM % 100))
    ip link add "$made_adapter" type veth peer name "${made_adapter}p" || fail "no adapter and none can be made"
    ip addr add "10.252.$((RANDOM % 250)).1/24" dev "$made_adapter"
    ip link set "${made_adapter}p" up
    ip link set "$made_adapter" up
    mac=$("$build/demo/nutv-machine-address") || fail "the new adapter is not seen"
fi

echo "== databases: sign-in $signin on $mac, customers $source_id -> $target_id"
nutv_admit_user "$signin" "$password" "$mac"
nutv_make_customer "$build/testdata/testdata-gen" "$source_id" "$source_db" tarn 127.0.0.2 --scale 1 --seed 11
nutv_make_customer "$build/testdata/testdata-gen" "$target_id" "$target_db" velm 127.0.0.3 --schema-only

echo "== download server; the installed checker is one revision behind"
url=$(sed -n 's/^NUTV_DOWNLOAD_SERVER:STRING=//p' "$build/CMakeCache.txt")
nutv_prepare_downloads "$work/www" "$prefix"
revision=$(nutv_revision)
[ "$revision" -gt 0 ] || fail "revision $revision has no older one"
version=$(sed -n 's/^project([A-Za-z]* VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
"$build/tests/installation/nutv-copy-with-version" "$prefix/UpdProbeV1.exe" "$work/old-probe" \
    "${version%.*}.$((revision - 1))"
cat "$work/old-probe" >"$prefix/UpdProbeV1.exe"  # in place: owner, group and mode stay the installation's
cmp -s "$prefix/UpdProbeV1.exe" "$work/www/download/$NUTV_DOWNLOAD_FOLDER/UpdProbeV1.exe" &&
    fail "the outdated checker is the current one"
nutv_serve "$work/www" "$url"

nutv_start_xvfb "$work"
# Drives one session of ACCOUNT into SHOTS; the program's status in session_status.
session_status=0
drive_as() {
    local account=$1 folder=$2
    mkdir -p "$folder"
    run_as "$account" DISPLAY="$DISPLAY" "$program" >"$folder/program.log" 2>&1 &
    program_pid=$!
    nutv_drive_session "$program_pid" "$password" "$source_id" "$target_id" "$folder" || session_status=$?
    if kill -0 "$program_pid" 2>/dev/null; then  # still open: a window the session did not expect
        nutv_screenshot "$folder" "left-open"
        kill "$program_pid"
        session_status=$((session_status + 10))
    fi
    wait "$program_pid" || session_status=$((session_status + 100 + $?))
    program_pid=''
}

echo "== session of $staff (group nurivelm)"
root_ini_before=$(stat -c '%s %Y' /odbc.ini 2>/dev/null || echo none)
drive_as "$staff" "$shots/staff"
[ "$session_status" -eq 0 ] || {
    cat "$shots/staff/messages.txt" "$shots/staff/program.log" >&2
    fail "the run did not end with its completion message and a clean exit ($session_status)"
}

echo "== checks"
grep -q '정말 시작하시겠습니까?' "$shots/staff/messages.txt" || fail "no start question"
lines=$(grep -c '건 복사$' "$shots/staff/worklog.txt" || true)
[ "$lines" -eq 80 ] || { cat "$shots/staff/worklog.txt" >&2; fail "the work log has $lines table lines, not 80"; }
cmp -s "$prefix/UpdProbeV1.exe" "$work/www/download/$NUTV_DOWNLOAD_FOLDER/UpdProbeV1.exe" ||
    fail "the start-up update did not replace the outdated checker"
[ -z "$(ls "$prefix" | grep '^New_' || true)" ] || fail "the update left a file behind"
for index in 0 1; do
    grep -q "^\[varok_DataConv160316_$index\]" /etc/odbc.ini || fail "data source $index is not in /etc/odbc.ini"
done
grep -qx "DATABASE=$source_db" /etc/odbc.ini && grep -qx "DATABASE=$target_db" /etc/odbc.ini ||
    fail "/etc/odbc.ini does not name both customers: $(cat /etc/odbc.ini)"
[ "$(stat -c '%s %Y' /odbc.ini 2>/dev/null || echo none)" = "$root_ini_before" ] || fail "the program wrote /odbc.ini"
settings=$(grep -rl -e "$source_id" "/home/$staff/.config" 2>/dev/null || true)
[ -n "$settings" ] && grep -q "$target_id" $settings || fail "the IDs are not in $staff's own settings"
"$build/demo/nutv-compare-customers" --host 127.0.0.1 --source "$source_db" --target "$target_db" \
    >"$shots/comparison.txt" || { cat "$shots/comparison.txt" >&2; fail "the target differs from the source"; }
tail -1 "$shots/comparison.txt"

echo "== session of $outsider (not in the group)"
cp /etc/odbc.ini "$work/odbc.ini.before"
session_status=0
drive_as "$outsider" "$shots/outsider"
grep -q '권한이 없습니다' "$shots/outsider/messages.txt" || {
    cat "$shots/outsider/messages.txt" "$shots/outsider/program.log" >&2
    fail "the account outside the group got no plain message at the data-source step"
}
grep -q '복사가 완료되었습니다.' "$shots/outsider/messages.txt" && fail "the outsider's run reports a completed copy"
[ "$session_status" -eq 1 ] || fail "the outsider's program did not end normally ($session_status)"
cmp -s /etc/odbc.ini "$work/odbc.ini.before" || fail "the outsider's run changed /etc/odbc.ini"
echo "PASSED"
