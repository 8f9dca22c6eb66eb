"""The web page's test bench: a server of build/web on 127.0.0.1 (a secure
context for Web Serial) with a bridge from /serial/ to keyer-sim on a
pseudo-terminal, and headless Chromium driven by Selenium."""
import contextlib
import functools
import http.server
import os
import select
import shutil
import subprocess
import tempfile
import termios
import threading
import time
import tty

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By

CHROMIUM_FLAGS = ["--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync", "--disable-dev-shm-usage",
                  "--window-size=1100,900"]
SPEEDS = {1200: termios.B1200, 9600: termios.B9600}


class KeyerOnPty:
    """keyer-sim on a pseudo-terminal, and the program's end of that terminal."""

    def __init__(self, keyer_sim, *options):
        self.process = subprocess.Popen([keyer_sim, *options], stdout=subprocess.PIPE, text=True)
        self.device = self.process.stdout.readline().strip()
        self.fd = None
        self.signals = []
        self.opens = 0

    def open(self, baud):
        if self.fd is not None:
            return False
        self.opens += 1
        self.fd = os.open(self.device, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
        tty.setraw(self.fd)
        attributes = termios.tcgetattr(self.fd)
        attributes[4] = attributes[5] = SPEEDS.get(baud, termios.B1200)
        termios.tcsetattr(self.fd, termios.TCSANOW, attributes)
        return True

    def close(self):
        if self.fd is not None:
            os.close(self.fd)
            self.fd = None

    def write(self, data):
        view = memoryview(data)
        while self.fd is not None and view:
            try:
                view = view[os.write(self.fd, view):]
            except BlockingIOError:
                select.select([], [self.fd], [], 0.05)

    def read(self, wait):
        fd = self.fd
        if fd is None or not select.select([fd], [], [], wait)[0]:
            return b""
        try:
            return os.read(fd, 4096)
        except (BlockingIOError, OSError):
            return b""

    def stop(self):
        self.close()
        self.process.terminate()
        self.process.wait(timeout=10)


class PageServer:
    """Serves the page; /serial/ carries a stand-in port's bytes to the keyer."""

    def __init__(self, root, keyer=None):
        self.keyer = keyer
        server = self

        class Handler(http.server.SimpleHTTPRequestHandler):
            extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                              ".wasm": "application/wasm", ".webmanifest": "application/manifest+json"}

            def log_message(self, *args):
                pass

            def answer(self, status, body=b""):
                self.send_response(status)
                self.send_header("Content-Length", str(len(body)))
                self.send_header("Cache-Control", "no-store")
                self.end_headers()
                self.wfile.write(body)

            def do_POST(self):
                length = int(self.headers.get("Content-Length") or 0)
                body = self.rfile.read(length) if length else b""
                path, _, query = self.path.partition("?")
                fields = dict(part.split("=", 1) for part in query.split("&") if "=" in part)
                keyer = server.keyer
                if keyer is None or not path.startswith("/serial/"):
                    return self.answer(404)
                if path == "/serial/open":
                    return self.answer(200 if keyer.open(int(fields.get("baud", 1200))) else 409)
                if path == "/serial/close":
                    keyer.close()
                elif path == "/serial/write":
                    keyer.write(body)
                elif path == "/serial/signals":
                    keyer.signals.append(query)
                self.answer(200)

            def do_GET(self):
                if self.path.startswith("/serial/read") and server.keyer is not None:
                    return self.answer(200, server.keyer.read(0.2))
                super().do_GET()

        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Handler, directory=root))
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()
        self.address = "http://127.0.0.1:%d/" % self.httpd.server_address[1]

    def stop(self):
        self.httpd.shutdown()
        self.httpd.server_close()


class Browser:
    """Headless Chromium on a fresh profile, with scripts put in before each page."""

    def __init__(self, extra_flags=(), scripts=(), download_dir=None):
        self.profile = tempfile.mkdtemp(prefix="keyer-web-profile-")
        options = webdriver.ChromeOptions()
        options.binary_location = shutil.which("chromium") or "/usr/bin/chromium"
        for flag in [*CHROMIUM_FLAGS, *extra_flags, "--user-data-dir=" + self.profile]:
            options.add_argument(flag)
        self.driver = webdriver.Chrome(options=options, service=Service(shutil.which("chromedriver")))
        for script in scripts:
            self.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": script})
        # File choosers do not open: the test hands them their files.
        self.driver.execute_cdp_cmd("Page.setInterceptFileChooserDialog", {"enabled": True})
        if download_dir:
            self.driver.execute_cdp_cmd("Browser.setDownloadBehavior",
                                        {"behavior": "allow", "downloadPath": download_dir})

    def quit(self):
        self.driver.quit()
        shutil.rmtree(self.profile, ignore_errors=True)

    # --- What an operator does and sees, by the page's data attributes ---------
    def control(self, control_id, dialog=1001):
        return self.driver.find_element(By.CSS_SELECTOR, '[data-dialog="%d"] [data-control="%d"]' % (dialog, control_id))

    def text(self, control_id, dialog=1001):
        element = self.control(control_id, dialog)
        tag = element.tag_name.lower()
        if tag in ("input", "textarea"):
            return element.get_property("value")
        if tag == "select":
            return self.driver.execute_script(
                "const s = arguments[0]; return s.selectedIndex < 0 ? '' : s.options[s.selectedIndex].text;", element)
        return element.get_property("textContent")

    def click(self, control_id, dialog=1001):
        self.control(control_id, dialog).click()

    def wait_for(self, condition, timeout=20.0, what="the page"):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            value = condition()
            if value:
                return value
            time.sleep(0.02)
        raise AssertionError("timed out waiting for " + what)

    def wait_for_text(self, control_id, text, dialog=1001, timeout=20.0):
        self.wait_for(lambda: self.text(control_id, dialog) == text, timeout,
                      "%r in control %d (it shows %r)" % (text, control_id, self.text(control_id, dialog)))

    def dialog_open(self, template_id):
        return bool(self.driver.find_elements(By.CSS_SELECTOR, '[data-dialog="%d"]' % template_id))

    def hand_file_to_chooser(self, path):
        """Answers the page's open file chooser with a file of this machine."""
        self.wait_for(lambda: self.driver.find_elements(By.CSS_SELECTOR, "input[data-file-chooser]"),
                      what="the file chooser")
        found = self.driver.execute_cdp_cmd("Runtime.evaluate",
                                            {"expression": 'document.querySelector("input[data-file-chooser]")'})
        self.driver.execute_cdp_cmd("DOM.setFileInputFiles",
                                    {"files": [path], "objectId": found["result"]["objectId"]})


@contextlib.contextmanager
def browser_on(server, page="index.html", **options):
    browser = Browser(**options)
    try:
        browser.driver.get(server.address + page)
        browser.wait_for(lambda: browser.dialog_open(1001), what="the main window")
        yield browser
    finally:
        browser.quit()
