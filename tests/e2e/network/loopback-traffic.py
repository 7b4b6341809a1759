"""Sends 5 GB through loopback, from one socket of this process to another: run inside the totals
test's network namespace, where loopback carries nothing else, so that its counters pass 4 GiB."""
import socket
import threading

TOTAL = 5 * 10**9

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
while sent < TOTAL:
    sender.sendall(chunk)
    sent += len(chunk)
sender.close()
reader.join()
print("sent", sent, "bytes through loopback")
