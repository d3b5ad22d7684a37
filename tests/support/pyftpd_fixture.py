"""A real FTP server for end-to-end tests, on 127.0.0.1 (or ::1) only.

Serves one folder to one user (and optionally anonymous, read-only), on a
port chosen by the system unless given, and prints that port as its first
line. With --tls it speaks FTP over TLS: "explicit" offers "AUTH TLS" on a
plain connection, "implicit" starts TLS with the first byte. It exits
when its standard input closes, so it never outlives the test that started it.
"""
import argparse
import logging
import os
import sys
import threading

try:
    from pyftpdlib.authorizers import DummyAuthorizer
    from pyftpdlib.handlers import FTPHandler, TLS_DTPHandler, TLS_FTPHandler
    from pyftpdlib.servers import FTPServer
except ImportError as error:
    sys.stderr.write("python3-pyftpdlib is not installed (run scripts/setup): %s\n" % error)
    sys.exit(3)


def make_handler(args):
    if not args.tls:
        class Handler(FTPHandler):
            pass
        return Handler

    class OtherCertificate(TLS_FTPHandler):
        certfile = args.other_certfile
        keyfile = args.other_keyfile
        ssl_context = None

    class TlsDataHandler(TLS_DTPHandler):
        # pyftpdlib drops a data connection that is readable before the
        # transfer command, so a client that starts the TLS handshake as soon
        # as it connects (RFC 4217 lets it) would be cut off.
        def readable(self):
            return self._ssl_accepting or super().readable()

        def secure_connection(self, ssl_context):
            if args.data_fault == "other-certificate":
                ssl_context = OtherCertificate.get_ssl_context()
            super().secure_connection(ssl_context)

        def close(self):
            if args.data_fault == "no-close-notify":
                # The socket just closes, as a cut connection would.
                self._ssl_established = False
            super().close()

    class TlsHandler(TLS_FTPHandler):
        dtp_handler = TlsDataHandler

        def ftp_PROT(self, line):
            if args.refuse_prot:
                self.respond("534 Only clear data connections here.")
                return
            super().ftp_PROT(line)

        certfile = args.certfile
        keyfile = args.keyfile
        tls_control_required = args.tls_required
        tls_data_required = args.tls_required

    if args.tls == "explicit":
        return TlsHandler

    class ImplicitTlsHandler(TlsHandler):
        # Runs before the greeting is queued, so the greeting is the first
        # thing sent inside TLS; the handshake happens on the first events.
        def on_connect(self):
            self.secure_connection(self.ssl_context)

    return ImplicitTlsHandler


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    parser.add_argument("--anonymous", action="store_true")
    parser.add_argument("--host", default="127.0.0.1", choices=["127.0.0.1", "::1"])
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--tls", choices=["explicit", "implicit"])
    parser.add_argument("--certfile")
    parser.add_argument("--keyfile")
    # Refuse the login before "AUTH TLS" and data connections before "PROT P".
    parser.add_argument("--tls-required", action="store_true")
    # Data connections that show another certificate, or end without close_notify.
    parser.add_argument("--data-fault", choices=["other-certificate", "no-close-notify"])
    parser.add_argument("--other-certfile")
    parser.add_argument("--other-keyfile")
    parser.add_argument("--refuse-prot", action="store_true")
    args = parser.parse_args()

    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elradfmwMT")
    if args.anonymous:
        authorizer.add_anonymous(args.root)

    Handler = make_handler(args)
    Handler.authorizer = authorizer
    # A refused login is answered after this delay; tests of refusals need
    # no brute-force protection.
    Handler.auth_failed_timeout = 0.1
    # The default refuses to connect back to any address but the client's own,
    # which for these tests is the loopback address, so active mode works as it is.
    server = FTPServer((args.host, args.port), Handler)
    print(server.socket.getsockname()[1], flush=True)

    def exit_when_parent_goes():
        sys.stdin.read()
        os._exit(0)

    threading.Thread(target=exit_when_parent_goes, daemon=True).start()
    logging.basicConfig(level=logging.WARNING, stream=sys.stderr)
    server.serve_forever()


if __name__ == "__main__":
    main()
