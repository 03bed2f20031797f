# Sourced: start_xvfb FOLDER [Xvfb options...] starts a private X server and
# exports its DISPLAY; its process id is in XVFB_PID. The server picks a free
# display number itself and writes it out once it takes connections
# (-displayfd), so that servers started at the same moment never collide, as
# they may with xvfb-run -a. Without -noreset the server would start afresh
# whenever its last client leaves, and refuse a client that comes meanwhile.
start_xvfb() {
    local folder=$1
    shift
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset "$@" 3>"$folder/display" >"$folder/xvfb.log" 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 200); do
        [[ -s $folder/display ]] && break
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.05
    done
    if [[ ! -s $folder/display ]]; then
        echo "Xvfb did not start:" >&2
        cat "$folder/xvfb.log" >&2
        return 1
    fi
    DISPLAY=":$(cat "$folder/display")"
    export DISPLAY
}
