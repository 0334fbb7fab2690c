# Shared by ./scripts/demo and the end-to-end test of the installed program: a local
# installation's databases and download folder, an X display, and a session with the
# real windows driven through xdotool. Source it from bash (set -euo pipefail).
#
# Expects NUTV_SOURCE (the source tree), NUTV_DB_DIR (the server folder of
# scripts/mariadb-server) and NUTV_BUILT_IN_VALUES (the build's built-in-values.sh) to be set.

# shellcheck source=/dev/null
source "$NUTV_BUILT_IN_VALUES"
NUTV_DOWNLOAD_FOLDER='자동업데이트_v1'
NUTV_PROGRAM_NAME='nuritarn-to-nurivelm'
NUTV_PYTHON=/usr/bin/python3

nutv_say() { printf '%s\n' "$*"; }

# Names put into SQL here are the scripts' own; refuse anything but plain names anyway.
nutv_plain() {
    local value
    for value in "$@"; do
        [[ $value =~ ^[A-Za-z0-9_.:-]+$ ]] || { echo "session: '$value' is not a plain name" >&2; return 1; }
    done
}

nutv_sql() { "$NUTV_SOURCE/scripts/mariadb-server" sql "$NUTV_DB_DIR" "$@"; }

# The revision (last part of the project version) that the build writes into the program
# and the update tools: what the download folder must announce for a quiet start.
nutv_revision() {
    sed -n 's/^project([A-Za-z]* VERSION \([0-9.]*\).*/\1/p' "$NUTV_SOURCE/CMakeLists.txt" | awk -F. '{print $NF}'
}

# nutv_admit_user ID PASSWORD MAC: an in-house user who may sign in on this computer.
nutv_admit_user() {
    local id=$1 password=$2 mac=$3
    nutv_plain "$id" "$password" "$mac"
    nutv_sql <<SQL
REPLACE INTO vr_inhouse.user (id, password, name, hidden) VALUES ('$id', '$password', '데모 사용자', 0);
DELETE FROM vr_inhouse.user_mac WHERE mac_addr = '$mac';
INSERT INTO vr_inhouse.user_mac (user_id, mac_addr, block) VALUES ('$id', '$mac', 0);
SQL
}

# nutv_make_customer GEN ID DATABASE EDITION HOST [testdata-gen options...]: a customer
# account and database registered on the central database, filled by testdata-gen.
nutv_make_customer() {
    local gen=$1 id=$2 db=$3 edition=$4 host=$5
    shift 5
    nutv_plain "$id" "$db" "$host"
    "$NUTV_SOURCE/scripts/mariadb-server" add-customer "$NUTV_DB_DIR" "$id" "$db" >/dev/null
    nutv_sql <<<"REPLACE INTO app_admin.app_priv (app_dbname, user_id, app_active, app_dbip) VALUES ('$db', '$id', 1, '$host');"
    "$gen" --host "$host" --database "$db" --edition "$edition" --quiet "$@" >/dev/null
}

# nutv_prepare_downloads WWW PROGRAM_DIR: the download folder holding the current update
# files (the tools, the program, and the latest revisions they announce).
nutv_prepare_downloads() {
    local folder="$1/download/$NUTV_DOWNLOAD_FOLDER" program_dir=$2 revision
    revision=$(nutv_revision)
    mkdir -p "$folder"
    cp "$program_dir/UpdProbeV1.exe" "$program_dir/swapkit.exe" "$program_dir/$NUTV_PROGRAM_NAME" "$folder/"
    printf '%s' "$revision" >"$folder/UpdProbeV1_lastver.txt"
    printf '%s' "$revision" >"$folder/${NUTV_PROGRAM_NAME}_lastver.txt"
}

# nutv_sign_downloads WWW SIGN_TOOL PRIVATE_KEY: puts "<file>.sig" beside each executable of
# the download folder (made by nutv-update-sign with the maker's private key).
nutv_sign_downloads() {
    local folder="$1/download/$NUTV_DOWNLOAD_FOLDER"
    "$2" sign "$3" "$folder/UpdProbeV1.exe" "$folder/swapkit.exe" "$folder/$NUTV_PROGRAM_NAME"
}

# nutv_serve WWW URL: starts python's HTTP server for the download server URL
# (http://127.0.0.1:PORT); sets NUTV_HTTP_PID.
nutv_serve() {
    local www=$1 url=$2 hostport host port
    hostport=${url#http://}
    hostport=${hostport%%/*}
    host=${hostport%%:*}
    port=${hostport##*:}
    [ "$port" != "$hostport" ] || port=80
    if (exec 3<>"/dev/tcp/$host/$port") 2>/dev/null; then
        echo "session: $host:$port is already in use; the download server needs it" >&2
        return 1
    fi
    "$NUTV_PYTHON" -m http.server --bind "$host" --directory "$www" "$port" >"$www.log" 2>&1 &
    NUTV_HTTP_PID=$!
    for _ in $(seq 1 50); do
        (exec 3<>"/dev/tcp/$host/$port") 2>/dev/null && return 0
        sleep 0.1
    done
    echo "session: the download server did not start (see $www.log)" >&2
    return 1
}

# nutv_start_xvfb SHOTS: a virtual display whose screen is kept as an image file (for the
# screenshots); sets DISPLAY, NUTV_XVFB_PID and NUTV_SCREEN.
nutv_start_xvfb() {
    local shots=$1 n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    mkdir -p "$shots/screen"
    Xvfb ":$n" -screen 0 1024x768x24 -fbdir "$shots/screen" -nolisten tcp >"$shots/xvfb.log" 2>&1 &
    NUTV_XVFB_PID=$!
    export DISPLAY=":$n"
    NUTV_SCREEN="$shots/screen/Xvfb_screen0"
    for _ in $(seq 1 100); do
        xdpyinfo >/dev/null 2>&1 && return 0
        kill -0 "$NUTV_XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    echo "session: Xvfb did not start (see $shots/xvfb.log)" >&2
    return 1
}

# nutv_screenshot SHOTS NAME: the whole virtual screen as SHOTS/NAME.png.
nutv_screenshot() {
    sleep 0.3  # let the windows finish painting
    "$NUTV_PYTHON" "$NUTV_SOURCE/scripts/lib/xwd2png.py" "$NUTV_SCREEN" "$1/$2.png" && nutv_say "    screenshot $1/$2.png"
}

# nutv_wait_window PID REGEX [SECONDS]: the id of a visible window whose name matches,
# while the program PID still runs.
nutv_wait_window() {
    local pid=$1 pattern=$2 limit=${3:-60} id
    local end=$((SECONDS + limit))
    while [ $SECONDS -lt $end ]; do
        id=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | tail -1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        kill -0 "$pid" 2>/dev/null || { echo "session: the program ended" >&2; return 1; }
        sleep 0.2
    done
    echo "session: no window '$pattern' within $limit s" >&2
    return 1
}

nutv_window_gone() {
    local id=$1 pattern=$2
    for _ in $(seq 1 100); do
        xdotool search --onlyvisible --name "$pattern" 2>/dev/null | grep -qx "$id" || return 0
        sleep 0.1
    done
    return 1
}

nutv_focus() { xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"; sleep 0.2; }

# The text of the focused message box (its Ctrl+C copies title and text).
nutv_copy_text() {
    # xclip stays behind to serve what it was given: none of its output may hold our pipe.
    xclip -selection clipboard -i </dev/null >/dev/null 2>&1 || true
    xdotool key --clearmodifiers ctrl+c
    sleep 0.4
    xclip -selection clipboard -o 2>/dev/null || true
}

# nutv_drive_session PID PASSWORD SOURCE_ID TARGET_ID SHOTS: signs in, types the two
# IDs, starts the conversion and answers its questions, screenshot by screenshot. Leaves
# the message boxes' texts in SHOTS/messages.txt and the work log in SHOTS/worklog.txt;
# returns 0 when the run ended with its completion message.
nutv_drive_session() {
    local pid=$1 password=$2 source_id=$3 target_id=$4 shots=$5
    local login main box text step=1 boxes='^(누리Tarn_To_누리Velm|[0-9]+건 존재)$' completed=1
    : >"$shots/messages.txt"

    nutv_say "  sign-in"
    login=$(nutv_wait_window "$pid" '^로그인$' 60) || return 1
    sleep 1  # the dialog checks this computer and connects to the in-house database
    nutv_screenshot "$shots" "01-login"
    nutv_focus "$login"
    xdotool type --delay 40 "$password"
    nutv_screenshot "$shots" "02-login-password"
    xdotool key Return

    main=$(nutv_wait_window "$pid" '자료전환$' 60) || return 1
    nutv_say "  conversion window"
    nutv_screenshot "$shots" "03-main"
    nutv_focus "$main"
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 30 "$source_id"
    xdotool key Tab
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 30 "$target_id"
    nutv_screenshot "$shots" "04-ids"
    xdotool key Tab space  # the Start button follows the second ID box

    step=5
    while :; do
        box=$(nutv_wait_window "$pid" "$boxes" 1800) || return 1
        nutv_focus "$box"
        text=$(nutv_copy_text | tr -d '\r')
        printf '%s\n\n' "$text" >>"$shots/messages.txt"
        nutv_say "  message: $(printf '%s' "$text" | grep -v -e '^---' -e '^$' | tr '\n' ' ')"
        nutv_screenshot "$shots" "$(printf '%02d' $step)-message"
        step=$((step + 1))
        case "$text" in
            *"정말 시작하시겠습니까?"* | *"비어있지 않습니다"*) xdotool key y ;;
            *"복사가 완료되었습니다."*) xdotool key Return; completed=0; break ;;
            *) xdotool key Return; break ;;
        esac
        nutv_window_gone "$box" "$boxes" || true
    done
    nutv_window_gone "$box" "$boxes" || true

    # The work log: click into it, select all, copy.
    local X Y WIDTH HEIGHT SCREEN WINDOW
    nutv_focus "$main"
    eval "$(xdotool getwindowgeometry --shell "$main")"
    xdotool mousemove --sync $((X + WIDTH * 2 / 3)) $((Y + HEIGHT / 2)) click 1
    xdotool key --clearmodifiers ctrl+a
    nutv_copy_text | tr -d '\r' >"$shots/worklog.txt"
    xdotool key --clearmodifiers ctrl+Home
    nutv_screenshot "$shots" "$(printf '%02d' $step)-done"

    nutv_say "  closing the program (Esc)"
    xdotool key Escape
    for _ in $(seq 1 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    return $completed
}
