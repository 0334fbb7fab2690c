#!/usr/bin/env bash
# End-to-end test of the installed program: installed into a program folder of its own,
# started in a virtual display (Xvfb) against the test run's MariaDB server and a local
# download server holding the current update files, and driven with xdotool like a user:
# sign in, type the IDs of a generated older-edition customer and an empty newer-edition
# one, start, answer the question, see the completion message. Then the target must hold
# what the copy rules say (table by table) and the work log one line per table.
#   InstalledProgramTest.sh SOURCE_DIR BUILD_DIR TEST_DB_DIR
# Screenshots of each step stay in BUILD_DIR/tests/gui/screenshots/installed-program/.
set -euo pipefail
source_dir=$1 build=$2 db=$3
export NUTV_SOURCE=$source_dir NUTV_DB_DIR=$db LANG=C.UTF-8 LC_ALL=C.UTF-8
# shellcheck source=../../scripts/lib/session.sh
source "$source_dir/scripts/lib/session.sh"

fail() { echo "FAILED: $*" >&2; exit 1; }

work=$(mktemp -d)
shots=$build/tests/gui/screenshots/installed-program
rm -rf "$shots"
mkdir -p "$shots"
suffix=$(printf '%05d%04d' $$ $((RANDOM % 10000)))
user=e2eu$suffix password=pw$suffix
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
DELETE FROM vr_inhouse.user WHERE id = '$user';
DELETE FROM vr_inhouse.user_mac WHERE user_id = '$user';
DROP USER IF EXISTS '$source_id'@'127.0.0.%', '$target_id'@'127.0.0.%';
SQL
    rm -rf "$work"
}
trap cleanup EXIT

echo "== install"
cmake --install "$build" --component program --prefix "$work/program" >/dev/null
for file in nuritarn-to-nurivelm UpdProbeV1.exe swapkit.exe; do
    [ -x "$work/program/$file" ] || fail "$file is not in the program folder"
done

# This computer's adapter, as the admission check sees it. The test's network namespace
# has only its loopback: it gets an adapter of its own for the time of the test.
if ! mac=$("$build/demo/nutv-machine-address" 2>/dev/null); then
    made_adapter=nutve2e$((RANDOM % 100))
    ip link add "$made_adapter" type veth peer name "${made_adapter}p" || fail "no adapter and none can be made"
    ip addr add "10.251.$((RANDOM % 250)).1/24" dev "$made_adapter"
    ip link set "${made_adapter}p" up
    ip link set "$made_adapter" up
    mac=$("$build/demo/nutv-machine-address") || fail "the new adapter is not seen"
fi

echo "== databases: user $user on $mac, customers $source_id -> $target_id"
nutv_admit_user "$user" "$password" "$mac"
nutv_make_customer "$build/testdata/testdata-gen" "$source_id" "$source_db" tarn 127.0.0.2 --scale 1 --seed 11
nutv_make_customer "$build/testdata/testdata-gen" "$target_id" "$target_db" velm 127.0.0.3 --schema-only

echo "== download server"
url=$(sed -n 's/^NUTV_DOWNLOAD_SERVER:STRING=//p' "$build/CMakeCache.txt")
nutv_prepare_downloads "$work/www" "$work/program"
nutv_serve "$work/www" "$url"

export HOME=$work/home XDG_CONFIG_HOME=$work/config ODBCSYSINI=$work/odbc XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$ODBCSYSINI" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
: >"$ODBCSYSINI/odbc.ini"

echo "== session"
nutv_start_xvfb "$work"
"$work/program/nuritarn-to-nurivelm" >"$shots/program.log" 2>&1 &
program_pid=$!
nutv_drive_session "$program_pid" "$password" "$source_id" "$target_id" "$shots" || {
    cat "$shots/messages.txt" "$shots/program.log" >&2
    fail "the run did not end with its completion message"
}
status=0
wait "$program_pid" || status=$?
program_pid=''
[ "$status" -eq 0 ] || { cat "$shots/program.log" >&2; fail "the program ended with status $status"; }
cp "$work/xvfb.log" "$shots/" 2>/dev/null || true

echo "== checks"
grep -q '정말 시작하시겠습니까?' "$shots/messages.txt" || fail "no start question"
grep -q '복사가 완료되었습니다.' "$shots/messages.txt" || fail "no completion message"
lines=$(grep -c '건 복사$' "$shots/worklog.txt" || true)
[ "$lines" -eq 80 ] || { cat "$shots/worklog.txt" >&2; fail "the work log has $lines table lines, not 80"; }
grep -q "^sale: 400건 복사$" "$shots/worklog.txt" || fail "the work log lacks the sale table's line"
[ -z "$(ls "$work/program" | grep '^New_' || true)" ] || fail "the start left an update behind"
grep -q "varok_DataConv160316_1" "$ODBCSYSINI/odbc.ini" || fail "the program wrote no data source"
"$build/demo/nutv-compare-customers" --host 127.0.0.1 --source "$source_db" --target "$target_db" \
    >"$shots/comparison.txt" || { cat "$shots/comparison.txt" >&2; fail "the target differs from the source"; }
tail -1 "$shots/comparison.txt"
echo "PASSED"
