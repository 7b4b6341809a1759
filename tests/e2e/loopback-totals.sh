#!/bin/sh
# The received total past 4 GiB, with the real program under Wine. Inside a network namespace that
# has only loopback (so that its count is this test's own traffic), 5 GB go through loopback;
# then the driver starts Spindrel.exe and reads the loopback entry's received total.
#   loopback-totals.sh <build folder> <driver exe>
# unshare -n needs root: where the namespace is refused, the test is skipped (exit 77).
set -eu
build=$1
driver=$2
if [ "${SPINDREL_IN_NAMESPACE:-}" != 1 ]; then
    if ! unshare -n true 2>/dev/null; then
        echo "skipped: no network namespace here (unshare -n needs root)"
        exit 77
    fi
    exec env SPINDREL_IN_NAMESPACE=1 unshare -n sh "$0" "$@"
fi

ip link set lo up
python3 - <<'PYTHON'
import socket, threading
total = 5 * 10**9
server = socket.socket()
server.bind(("127.0.0.1", 0))
server.listen(1)
def sink():
    connection, _ = server.accept()
    while connection.recv(1 << 20):
        pass
reader = threading.Thread(target=sink)
reader.start()
sender = socket.create_connection(server.getsockname())
chunk = memoryview(b"x" * (1 << 20))
sent = 0
while sent < total:
    sender.sendall(chunk)
    sent += len(chunk)
sender.close()
reader.join()
print("sent", sent, "bytes through loopback")
PYTHON

# A Wine of its own: the network driver of the build's prefix runs in the session of a wineserver
# started outside this namespace, and would report that one's interfaces. A copy of the prefix,
# with its own server started here, reports the namespace's.
. "$(dirname "$0")/../../scripts/wine-env"
WINEPREFIX=$(mktemp -d)
export WINEPREFIX
trap 'rm -rf "$WINEPREFIX"' EXIT
cp -a "$build/wineprefix/." "$WINEPREFIX/"
"$WINESERVER" -p >/dev/null 2>&1 </dev/null
"$WINE" wineboot >/dev/null 2>&1 </dev/null
rc=0
SPINDREL_LOOPBACK_NAMESPACE=1 "$WINE" "$driver" || rc=$?
"$WINESERVER" -k >/dev/null 2>&1 || true
"$WINESERVER" -w >/dev/null 2>&1 || true
exit $rc
