#!/usr/bin/env bash
# The harness's Xvfb keeps a client that connects just as the last one
# leaves. An X server that resets when its last client leaves drops every
# client accepted in the same wake-up; a program dropped so finds no display
# (SDL then falls back to its offscreen driver). The server is held
# (SIGSTOP) while its only client leaves and the next one connects, so it
# sees both at once, as a loaded machine makes it do now and then.
. "$(dirname "$0")/harness.sh"
command -v python3 > /dev/null || { echo "python3 missing"; exit 77; }
start_xvfb

# A client speaking the X protocol's first exchange on the display's socket.
# "leave": connect, say "connected", leave on a line from stdin.
# "join": connect, send the setup request, say "sent", then report whether
# the server answered or dropped the connection.
client() {
  python3 -c '
import socket, struct, sys
def receive(count):
    data = b""
    while len(data) < count:
        try:
            part = s.recv(count - len(data))
        except ConnectionResetError:
            return None
        if not part:
            return None
        data += part
    return data
def round_trip():
    # The setup reply, then GetInputFocus and its reply: a client that got
    # its setup answered can still be dropped right after.
    head = receive(8)
    if head is None or head[:1] != b"\1" or receive(4 * struct.unpack("<H", head[6:8])[0]) is None:
        return False
    s.sendall(struct.pack("<BxH", 43, 1))
    return receive(32) is not None
s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
s.connect("\0/tmp/.X11-unix/X" + sys.argv[2])
s.sendall(struct.pack("<BxHHHHxx", ord("l"), 11, 0, 0, 0))
if sys.argv[1] == "leave":
    assert round_trip(), "the server refused the first client"
    print("connected", flush=True)
    sys.stdin.readline()
else:
    print("sent", flush=True)
    print("answered" if round_trip() else "dropped", flush=True)
' "$1" "${DISPLAY#:}"
}

coproc LEAVER { client leave; }
read -r -t 30 -u "${LEAVER[0]}" line
[ "$line" = connected ] || fail "the first client did not connect"
kill -STOP "$xvfb_pid"
echo >&"${LEAVER[1]}"
wait "$LEAVER_PID"
coproc JOINER { client join; }
read -r -t 30 -u "${JOINER[0]}" line
[ "$line" = sent ] || { kill -CONT "$xvfb_pid"; fail "the second client could not connect"; }
kill -CONT "$xvfb_pid"
read -r -t 30 -u "${JOINER[0]}" line
[ "$line" = answered ] || fail "the server ${line:-did not answer}: a client that connects as the last one leaves is lost"
echo "ok: a client connecting as the last one leaves is kept"
