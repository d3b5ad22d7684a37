"""A real FTP server for end-to-end tests, on 127.0.0.1 (or ::1) only.

Serves one folder to one user (and optionally anonymous, read-only), on a
port chosen by the system, and prints that port as its first line. It exits
when its standard input closes, so it never outlives the test that started it.
"""
import argparse
import logging
import os
import sys
import threading

try:
    from pyftpdlib.authorizers import DummyAuthorizer
    from pyftpdlib.handlers import FTPHandler
    from pyftpdlib.servers import FTPServer
except ImportError as error:
    sys.stderr.write("python3-pyftpdlib is not installed (run scripts/setup): %s\n" % error)
    sys.exit(3)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    parser.add_argument("--anonymous", action="store_true")
    parser.add_argument("--host", default="127.0.0.1", choices=["127.0.0.1", "::1"])
    args = parser.parse_args()

    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elradfmwMT")
    if args.anonymous:
        authorizer.add_anonymous(args.root)

    class Handler(FTPHandler):
        pass

    Handler.authorizer = authorizer
    # A refused login is answered after this delay; tests of refusals need
    # no brute-force protection.
    Handler.auth_failed_timeout = 0.1
    # The default refuses to connect back to any address but the client's own,
    # which for these tests is the loopback address, so active mode works as it is.
    server = FTPServer((args.host, 0), Handler)
    print(server.socket.getsockname()[1], flush=True)

    def exit_when_parent_goes():
        sys.stdin.read()
        os._exit(0)

    threading.Thread(target=exit_when_parent_goes, daemon=True).start()
    logging.basicConfig(level=logging.WARNING, stream=sys.stderr)
    server.serve_forever()


if __name__ == "__main__":
    main()
