#!/usr/bin/env bash
# End-to-end test of a real installation. In a mount namespace of its own (the folders an
# installation writes get private layers, so this computer's /etc, /opt, /usr/share, /home
# and group database stay untouched) the build is installed with `cmake --install`, default
# prefix, every component: a folder only root can change. Staff accounts A and B run it in
# Xvfb with only their own environment, driven with xdotool: the first start seeds the
# account's own copy, whose start-up update replaces its outdated checker and the program
# itself from the download server; sign-in, two customers' IDs, 시작, the questions, the
# completion message. Then A, with A's own rights, goes after the installation, B's copy and
# the data-source files, and B's next start still runs B's unchanged copy with B's own data
# sources and converts. Nothing of the installation is writable by group or others; a copy
# others could change is not run; an account outside the group cannot start the program;
# without a display it says so in one line; a build to ship without an update key does not
# configure.
#   InstallationTest.sh SOURCE_DIR BUILD_DIR TEST_DB_DIR
# Screenshots and logs stay in BUILD_DIR/tests/installation/screenshots/.
set -euo pipefail
source_dir=$1 build=$2 db=$3
fail() { echo "FAILED: $*" >&2; cp "${work:-}/xvfb.log" "${shots:-/nonexistent}/" 2>/dev/null; exit 1; }

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
signin=e2eu$suffix password=pw$suffix staff=nutva$suffix staff_b=nutvb$suffix outsider=nutvother$suffix
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
# A private /tmp for the display's socket and the accounts' lock and runtime files; the
# test's own folders come back in it when they live under /tmp.
exec {old_tmp}</tmp
mount -t tmpfs nutv-tmp /tmp
for folder in "$source_dir" "$build" "$db"; do
    [[ $folder != /tmp/* ]] || { mkdir -p "$folder" &&
        mount --no-canonicalize --rbind "/proc/self/fd/$old_tmp/${folder#/tmp/}" "$folder"; } || fail "no $folder"
done
exec {old_tmp}<&-

echo "== install (cmake --install, default prefix, every component)"
installed_prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")
[ "$installed_prefix" = "$prefix" ] || fail "the build's install prefix is $installed_prefix, not the default $prefix"
cmake --install "$build" >"$shots/install.log" 2>&1 || { cat "$shots/install.log" >&2; fail "cmake --install failed"; }
for file in "$NUTV_PROGRAM_NAME" UpdProbeV1.exe swapkit.exe; do
    [ -x "$prefix/$file" ] || fail "$file is not in the program folder"
done
[ "$(stat -c '%U:%G %a' "$prefix")" = "root:nurivelm 750" ] || fail "program folder: $(stat -c '%U:%G %a' "$prefix")"
# Nothing that an account runs or reads its data sources from may be changed by another.
writable_by_others() {
    find "$prefix" /etc/odbc*.ini /usr/share/applications/nuritarn-to-nurivelm.desktop \
        /usr/share/icons/hicolor/*/apps/nuritarn-to-nurivelm.png "$@" \
        \( -perm /022 ! -type l \) -o \( ! -user root ! -path '/home/*' \) 2>/dev/null
}
[ -z "$(writable_by_others)" ] || fail "writable by group or others after the install: $(writable_by_others)"
grep -qx "Exec=\"$program\"" /usr/share/applications/nuritarn-to-nurivelm.desktop || fail "no menu entry for $program"
[ -f /usr/share/icons/hicolor/48x48/apps/nuritarn-to-nurivelm.png ] || fail "no menu icon"

useradd --create-home --no-log-init --groups nurivelm "$staff"
useradd --create-home --no-log-init --groups nurivelm "$staff_b"
useradd --create-home --no-log-init "$outsider"
copy_of() { echo "/home/$1/.local/share/$NUTV_PROGRAM_NAME"; }
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

echo "== a build to ship needs an update key and the database servers' authority"
status=0
cmake -S "$source_dir" -B "$work/release" -DCMAKE_BUILD_TYPE=Release >"$shots/release.log" 2>&1 || status=$?
[ "$status" -ne 0 ] && grep -q 'NUTV_ALLOW_UNSIGNED_UPDATES=ON' "$shots/release.log" &&
    grep -q 'NUTV_ALLOW_PLAINTEXT_DB=ON' "$shots/release.log" ||
    fail "a Release build without a key and an authority configured ($status) or did not name the options: $(cat "$shots/release.log")"

echo "== download server: the installed checker is one revision behind, the program one ahead"
url=$(sed -n 's/^NUTV_DOWNLOAD_SERVER:STRING=//p' "$build/CMakeCache.txt")
nutv_prepare_downloads "$work/www" "$prefix"
revision=$(nutv_revision)
[ "$revision" -gt 0 ] || fail "revision $revision has no older one"
version=$(sed -n 's/^project([A-Za-z]* VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
"$build/tests/installation/nutv-copy-with-version" "$prefix/UpdProbeV1.exe" "$work/old-probe" \
    "${version%.*}.$((revision - 1))"
cat "$work/old-probe" >"$prefix/UpdProbeV1.exe"  # in place: owner, group and mode stay the installation's
served=$work/www/download/$NUTV_DOWNLOAD_FOLDER
"$build/tests/installation/nutv-copy-with-version" "$prefix/$NUTV_PROGRAM_NAME" "$served/$NUTV_PROGRAM_NAME" \
    "${version%.*}.$((revision + 1))"
printf '%s' $((revision + 1)) >"$served/${NUTV_PROGRAM_NAME}_lastver.txt"
system_ini() { cat /etc/odbc.ini 2>/dev/null || true; }
system_ini >"$work/odbc.ini.before"
cmp -s "$prefix/UpdProbeV1.exe" "$served/UpdProbeV1.exe" &&
    fail "the outdated checker is the current one"
nutv_serve "$work/www" "$url"

nutv_start_xvfb "$work"
# The process of ACCOUNT that runs its copy of the program (the installed program hands
# over to it, the file replacer starts it again after an update): its pid, none after 10 s.
copy_pid() {
    local wanted
    wanted=$(copy_of "$1")/$NUTV_PROGRAM_NAME
    for _ in $(seq 1 100); do
        for pid in $(pgrep -u "$1"); do
            [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = "$wanted" ] && echo "$pid" && return
        done
        sleep 0.1
    done
    return 1
}

# Drives one session of ACCOUNT into SHOTS, after the program's own update when UPDATE is
# given; the program's status in session_status, the pid that ran the copy in copy_ran.
session_status=0 copy_ran=''
drive_as() {
    local account=$1 folder=$2 update=${3:-} started
    mkdir -p "$folder"
    run_as "$account" DISPLAY="$DISPLAY" "$program" >"$folder/program.log" 2>&1 &
    started=$! program_pid=$!
    copy_ran=$(copy_pid "$account") || copy_ran=''
    if [ -n "$update" ]; then  # the replacer swaps the copy and starts it again
        box=$(nutv_wait_window "$started" '^누리Tarn_To_누리Velm$' 120) || { session_status=1000; return; }
        nutv_focus "$box"
        nutv_copy_text >"$folder/handover.txt"
        nutv_screenshot "$folder" "00-handover"
        xdotool key Return
        wait "$started" || session_status=$((session_status + 100 + $?))
        grep -q '새 버전을 설치하기 위해' "$folder/handover.txt" || session_status=$((session_status + 1000))
        program_pid=$(copy_pid "$account") || { session_status=$((session_status + 2000)); return; }
    fi
    nutv_drive_session "$program_pid" "$password" "$source_id" "$target_id" "$folder" || session_status=$?
    if kill -0 "$program_pid" 2>/dev/null; then  # still open: a window the session did not expect
        nutv_screenshot "$folder" "left-open"
        kill "$program_pid"
        session_status=$((session_status + 10))
    fi
    [ -n "$update" ] || wait "$started" || session_status=$((session_status + 100 + $?))
    program_pid=''
}

# A session of ACCOUNT that must convert in the account's own copy, updated from the
# download server, with the account's own data sources.
converts_as() {
    local account=$1 name=$2 copy
    copy=$(copy_of "$account")
    echo "== session $name of $account"
    session_status=0
    drive_as "$account" "$shots/$name" "${3:-}"
    [ "$session_status" -eq 0 ] || {
        cat "$shots/$name/messages.txt" "$shots/$name/program.log" >&2 || true
        fail "$name: the run did not end with its completion message and a clean exit ($session_status)"
    }
    [ -n "$copy_ran" ] || fail "$name did not run $account's copy"
    lines=$(grep -c '건 복사$' "$shots/$name/worklog.txt" || true)
    [ "$lines" -eq 80 ] || { cat "$shots/$name/worklog.txt" >&2; fail "$name: $lines table lines, not 80"; }
    for file in UpdProbeV1.exe swapkit.exe "$NUTV_PROGRAM_NAME"; do
        cmp -s "$copy/$file" "$served/$file" || fail "$name: $file is not the server's"
    done
    [ -z "$(find "$copy" -mindepth 1 ! -name UpdProbeV1.exe ! -name swapkit.exe ! -name "$NUTV_PROGRAM_NAME")" ] ||
        fail "$name: the update left files behind: $(ls -A "$copy")"
    local ini=/home/$account/.odbc.ini
    [ "$(stat -c '%U %a' "$ini")" = "$account 600" ] || fail "$name: $ini is $(stat -c '%U %a' "$ini")"
    [ "$(grep -c '^\[varok_DataConv160316_[01]\]$' "$ini")" -eq 2 ] || fail "$name: not both data sources in $ini"
    grep -qx "DATABASE=$source_db" "$ini" && grep -qx "DATABASE=$target_db" "$ini" ||
        fail "$name: $ini does not name both customers: $(cat "$ini")"
    [ "$(grep '^Driver' "$ini" | sort -u)" = "Driver=/usr/lib/x86_64-linux-gnu/odbc/libmaodbc.so" ] ||
        fail "$name: $ini names another driver: $(grep '^Driver' "$ini")"
    settings=$(grep -rl -e "$source_id" "/home/$account/.config" 2>/dev/null || true)
    [ -n "$settings" ] && grep -q "$target_id" $settings || fail "$name: the IDs are not in $account's own settings"
    "$build/demo/nutv-compare-customers" --host 127.0.0.1 --source "$source_db" --target "$target_db" \
        >"$shots/$name/comparison.txt" || { cat "$shots/$name/comparison.txt" >&2; fail "$name: the target differs"; }
    tail -1 "$shots/$name/comparison.txt"
}

converts_as "$staff" a-first update
converts_as "$staff_b" b-first update
grep -q '정말 시작하시겠습니까?' "$shots/a-first/messages.txt" || fail "no start question"
cmp -s "$prefix/UpdProbeV1.exe" "$work/old-probe" || fail "an account's update changed the installation"
system_ini | cmp -s - "$work/odbc.ini.before" || fail "a session changed /etc/odbc.ini"

echo "== $staff, with $staff's own rights, goes after what $staff_b runs and reads"
copy_b=$(copy_of "$staff_b")
sha256sum "$copy_b"/* "$prefix"/* >"$work/before.sha"
install -o "$staff" -m 0755 /usr/lib/x86_64-linux-gnu/odbc/libmaodbc.so /tmp/planted.so  # a library of A's
for attack in "echo x >>'$program'" "mv '$prefix/UpdProbeV1.exe' '$prefix/x'" \
    "cp /bin/true '$prefix/New_$NUTV_PROGRAM_NAME'" "mkdir '$prefix/platforms'" \
    "echo x >>'$copy_b/$NUTV_PROGRAM_NAME'" "mv '$copy_b/swapkit.exe' /tmp/x" \
    "cp /bin/true '$copy_b/New_$NUTV_PROGRAM_NAME'" "mkdir '$copy_b/platforms'" "rm -rf '/home/$staff_b/.local'" \
    "printf '[varok_DataConv160316_0]\nDriver=/tmp/planted.so\n' >>/etc/odbc.ini" \
    "printf '[MariaDB]\nDriver=/tmp/planted.so\n' >>/etc/odbcinst.ini" \
    "printf '[varok_DataConv160316_1]\nDriver=/tmp/planted.so\n' >>'/home/$staff_b/.odbc.ini'" \
    "ln -sf /tmp/planted.so '/home/$staff_b/.odbc.ini'"; do
    ! run_as "$staff" sh -c "$attack" 2>>"$shots/attacks.log" || fail "$staff could: $attack"
done
printf '[varok_DataConv160316_0]\nDriver=/tmp/planted.so\n' | run_as "$staff" tee -a "/home/$staff/.odbc.ini" >/dev/null
sha256sum --quiet -c "$work/before.sha" || fail "$staff changed a file that $staff_b runs"
converts_as "$staff_b" b-after
grep -q '비어있지 않습니다' "$shots/b-after/messages.txt" || fail "b-after: no question about the filled target"
sha256sum --quiet -c "$work/before.sha" || fail "$staff_b's copy or the installation changed"
open=$(writable_by_others "$(copy_of "$staff")" "$copy_b" "/home/$staff_b/.odbc.ini")
[ -z "$open" ] || fail "writable by group or others: $open"

echo "== a copy that another account could change is not run"
chgrp nurivelm "$copy_b" && chmod g+w "$copy_b"
run_as "$staff_b" DISPLAY="$DISPLAY" "$program" >"$shots/unsafe.log" 2>&1 &
started=$! status=0
box=$(nutv_wait_window "$started" '^누리Tarn_To_누리Velm$' 60) && nutv_focus "$box" &&
    nutv_copy_text >"$shots/unsafe.txt" && xdotool key Return
wait "$started" || status=$?
[ "$status" -eq 1 ] && grep -qF "$copy_b" "$shots/unsafe.txt" || fail "B ran a copy others could change ($status)"

echo "== $outsider (not in the group) cannot start the installed program"
status=0
run_as "$outsider" DISPLAY="$DISPLAY" "$program" >"$shots/outsider.log" 2>&1 || status=$?
[ "$status" -eq 126 ] || fail "$outsider's start ended with status $status: $(cat "$shots/outsider.log")"
[ ! -e "$(copy_of "$outsider")" ] || fail "$outsider got a copy of the program"
echo "PASSED"
