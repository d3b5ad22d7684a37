"""The demo FTP server of `scripts/run --demo`, on 127.0.0.1 only.

Fills --root with a small sample tree, serves it to anonymous users with
write permission on a port chosen by the system, and prints that port as its
first line. It exits when it is stopped, or when the script that started it
is gone, so it never outlives the demo.
"""
import argparse
import logging
import os
import sys
import threading
import time

try:
    from pyftpdlib.authorizers import DummyAuthorizer
    from pyftpdlib.handlers import FTPHandler
    from pyftpdlib.servers import FTPServer
except ImportError as error:
    sys.stderr.write("python3-pyftpdlib is not installed (run scripts/setup): %s\n" % error)
    sys.exit(3)

TEXTS = {
    "readme.txt": "Welcome to the QuilloFTP demo site.\r\n"
                  "Everything here lives in a private temporary folder and\r\n"
                  "is removed when QuilloFTP is closed: try every command.\r\n",
    "notes.md": "# Notes\n\nA text file with Unix line ends.\n",
    "Folder with spaces/letter.txt": "A file in a folder whose name has blanks.\r\n",
    "nested/level 1/level 2/deep.txt": "Three folders down.\r\n",
    "nested/level 1/sibling.log": "".join("line %d\r\n" % i for i in range(1, 201)),
}
BINARIES = {"picture.bin": 48 * 1024, "nested/archive.dat": 300 * 1024}


def fill(root):
    for name, text in TEXTS.items():
        path = os.path.join(root, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", newline="") as f:
            f.write(text)
    for name, size in BINARIES.items():
        with open(os.path.join(root, name), "wb") as f:
            f.write(bytes((i * 7 + i // 251) & 0xFF for i in range(size)))
    os.makedirs(os.path.join(root, "uploads"), exist_ok=True)


def exit_when_orphaned():
    parent = os.getppid()
    while os.getppid() == parent:
        time.sleep(1)
    os._exit(0)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    args = parser.parse_args()
    os.makedirs(args.root, exist_ok=True)
    fill(args.root)

    authorizer = DummyAuthorizer()
    logging.captureWarnings(True)  # pyftpdlib warns about a writable anonymous root
    authorizer.add_anonymous(args.root, perm="elradfmwMT")

    class Handler(FTPHandler):
        pass

    Handler.authorizer = authorizer
    Handler.banner = "QuilloFTP demo server ready."
    server = FTPServer(("127.0.0.1", 0), Handler)
    print(server.socket.getsockname()[1], flush=True)
    threading.Thread(target=exit_when_orphaned, daemon=True).start()
    logging.basicConfig(level=logging.WARNING, stream=sys.stderr)
    server.serve_forever()


if __name__ == "__main__":
    main()
