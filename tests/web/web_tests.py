"""The web edition in headless Chromium: the page against its virtual keyer,
the real Web Serial code path against keyer-sim through a stand-in port, and
the page in a browser without Web Serial.

    web_tests.py PAGE_DIR LINUX_BUILD_DIR [TEST_NAME...]
"""
import os
import subprocess
import sys
import tempfile
import time
import unittest

from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import web_harness as harness  # noqa: E402

PAGE_DIR, LINUX_BUILD = sys.argv[1], sys.argv[2]
KEYER_SIM = os.path.join(LINUX_BUILD, "tools", "keyer-sim")
MAKE_FIRMWARE_IMAGE = os.path.join(LINUX_BUILD, "tests", "make_firmware_image")
STAND_IN_SERIAL = open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "stand_in_serial.js")).read()
# The browser's save picker, answered with a file that the test reads back.
STAND_IN_SAVE_PICKER = """
window.showSaveFilePicker = async (options) => ({
  name: options.suggestedName,
  async createWritable() {
    const parts = [];
    return {
      async write(data) { parts.push(...new Uint8Array(data)); },
      async close() { window.savedFile = {name: options.suggestedName, bytes: parts}; },
    };
  },
});
"""
NO_SAVE_PICKER = "Object.defineProperty(window, 'showSaveFilePicker', {value: undefined, configurable: true});"

# Controls of the main window (1001), the uploader (1003), the port dialog (1002).
READ, WRITE, TEST, FW_UPDATE, SET_COM_PORT = 4013, 4012, 4011, 4010, 4009
READ_CONFIG_FILE, WRITE_CONFIG_FILE, RESET_DEFAULTS = 4092, 4093, 4051
MESSAGE_1, WEIGHT, OUTPUT_SELECTION = 4001, 4039, 4053
OPERATION_STATUS, INTERFACE_STATUS, IC_LABEL, COM_LABEL, SETTINGS_FILE_STATUS, BYTES_LEFT = 4059, 4061, 4079, 4074, 4057, 4058
LOAD, PROGRAM, PROGRESS, UPLOAD_STATUS, UPLOAD_EXIT = 2, 4028, 4032, 4036, 4040
PORT_LIST, PORT_OK = 4026, 1


def replace_text(browser, control_id, text):
    edit = browser.control(control_id)
    edit.send_keys(Keys.CONTROL, "a")
    edit.send_keys(Keys.BACKSPACE)
    edit.send_keys(text)


class VirtualKeyerPage(unittest.TestCase):
    """The page on its virtual keyer (?keyer=virtual), as an operator works it."""

    @classmethod
    def setUpClass(cls):
        cls.server = harness.PageServer(PAGE_DIR)
        cls.browser_context = harness.browser_on(cls.server, "index.html?keyer=virtual",
                                                 scripts=[STAND_IN_SERIAL, STAND_IN_SAVE_PICKER])
        cls.browser = cls.browser_context.__enter__()
        cls.files = tempfile.mkdtemp(prefix="keyer-web-files-")

    @classmethod
    def tearDownClass(cls):
        cls.browser_context.__exit__(None, None, None)
        cls.server.stop()

    def test_1_the_main_window_as_the_templates_describe_it(self):
        b = self.browser
        root = b.driver.find_element(By.CSS_SELECTOR, '[data-dialog="1001"]')
        self.assertEqual(root.get_attribute("data-caption"), "Jaxtor 3 Tools Utility 5.0")
        self.assertEqual(b.text(COM_LABEL), "com:1")
        self.assertEqual(b.text(IC_LABEL), "JX IC: ?")
        for button, enabled in ((TEST, True), (SET_COM_PORT, True), (READ, False), (WRITE, False), (FW_UPDATE, False)):
            self.assertEqual(b.control(button).is_enabled(), enabled, button)
        # A screen reader's names: the label beside an edit or above a list.
        self.assertEqual(b.control(WEIGHT).accessible_name, "Weight")
        self.assertEqual(b.control(MESSAGE_1).accessible_name, "Msg 1")
        self.assertEqual(b.control(OUTPUT_SELECTION).accessible_name, "Output Selection")
        self.assertEqual(b.control(OPERATION_STATUS).get_attribute("aria-live"), "polite")
        self.assertEqual(b.control(OUTPUT_SELECTION).tag_name, "select")
        self.assertFalse(b.driver.find_element(By.ID, "no-web-serial").is_displayed())

    def test_2_test_read_and_write_against_the_virtual_keyer(self):
        b = self.browser
        b.click(TEST)
        b.wait_for_text(OPERATION_STATUS, ">JX OK")
        self.assertEqual(b.text(IC_LABEL), "JX IC: PIKE")
        b.wait_for_text(4070, "5.04 Volts")  # the readings follow the status
        seen = set()
        b.click(READ)
        b.wait_for(lambda: seen.add(b.text(OPERATION_STATUS)) or ">Done" in seen, what="Read")
        self.assertIn(">Reading", seen)
        replace_text(b, WEIGHT, "55")
        b.click(WRITE)
        b.wait_for_text(OPERATION_STATUS, "Writing")
        b.wait_for_text(OPERATION_STATUS, "Done")
        b.click(RESET_DEFAULTS)
        b.wait_for_text(WEIGHT, "50")
        b.click(READ)
        b.wait_for_text(OPERATION_STATUS, ">Done")
        self.assertEqual(b.text(WEIGHT), "55")  # the keyer kept what was written

    def test_3_a_settings_file_saved_and_loaded(self):
        b = self.browser
        replace_text(b, WEIGHT, "61")
        b.click(WRITE_CONFIG_FILE)
        saved = b.wait_for(lambda: b.driver.execute_script("return window.savedFile"), what="the saved file")
        self.assertEqual(saved["name"], "settings.eep")
        self.assertEqual(len(saved["bytes"]), 300)
        path = os.path.join(self.files, "mine.eep")
        with open(path, "wb") as file:
            file.write(bytes(saved["bytes"]))
        b.click(RESET_DEFAULTS)
        b.wait_for_text(WEIGHT, "50")
        b.click(READ_CONFIG_FILE)
        b.hand_file_to_chooser(path)
        b.wait_for_text(SETTINGS_FILE_STATUS, "EEP FileName: mine.eep")
        b.wait_for_text(WEIGHT, "61")

    def test_4_typing_into_a_message_and_escape_there_keep_the_page(self):
        b = self.browser
        edit = b.control(MESSAGE_1)
        replace_text(b, MESSAGE_1, "cq de x")
        self.assertEqual(b.text(MESSAGE_1), "CQ DE X")  # the edit's upper-case rule
        b.wait_for_text(BYTES_LEFT, "Msg Bytes Left: 233")
        edit.send_keys(Keys.ESCAPE)
        edit.send_keys(Keys.ENTER, "k")  # a line break, then more: the window is still there
        self.assertEqual(b.text(MESSAGE_1), "CQ DE X\nK")
        self.assertTrue(b.control(MESSAGE_1).is_displayed())

    def test_5_a_firmware_upload_with_the_progress_bar_moving(self):
        b = self.browser
        firmware = os.path.join(self.files, "firmware.bin")
        subprocess.run([MAKE_FIRMWARE_IMAGE, firmware, "20", "36"], check=True)
        b.wait_for(lambda: b.control(FW_UPDATE).is_enabled(), what="FW Update enabled")
        b.click(FW_UPDATE)
        b.wait_for(lambda: b.dialog_open(1003), what="the uploader")
        b.click(LOAD, 1003)
        b.hand_file_to_chooser(firmware)
        b.wait_for(lambda: b.control(PROGRAM, 1003).is_enabled(), what="Program enabled")
        b.click(PROGRAM, 1003)
        positions = []
        def finished():
            positions.append(int(b.control(PROGRESS, 1003).get_property("value")))
            return b.text(UPLOAD_STATUS, 1003) == "Upload Completed Successfully"
        b.wait_for(finished, timeout=90, what="the upload's result")
        moves = [p for k, p in enumerate(positions) if k and p != positions[k - 1]]
        self.assertGreater(len(moves), 10, positions)  # it moved all along, not at the end alone
        self.assertEqual(positions, sorted(positions))
        self.assertEqual(positions[-1], 99)
        b.click(UPLOAD_EXIT, 1003)
        # The uploader closed: the main window's Test runs and finds the new firmware.
        b.wait_for_text(INTERFACE_STATUS, "JX F/W revision 32.04")


class WebSerialThroughStandInPort(unittest.TestCase):
    """The page's Web Serial code against keyer-sim: a port the browser granted before."""

    def test_test_and_read_through_the_serial_port(self):
        keyer = harness.KeyerOnPty(KEYER_SIM, "--pot", "7")
        server = harness.PageServer(PAGE_DIR, keyer)
        try:
            with harness.browser_on(server, scripts=[STAND_IN_SERIAL]) as b:
                b.click(SET_COM_PORT)
                b.wait_for(lambda: b.dialog_open(1002), what="the port dialog")
                entries = b.driver.execute_script(
                    "return Array.from(arguments[0].options, o => o.value)", b.control(PORT_LIST, 1002))
                # The virtual keyer, the port granted before, and one to ask the browser for.
                self.assertEqual(entries, ["com1  virtual keyer (in this page)", "com2  USB serial port 0403:6001",
                                           "com3  another port: the browser asks which"])
                b.driver.execute_script("arguments[0].selectedIndex = 1; arguments[0].dispatchEvent(new Event('change'))",
                                        b.control(PORT_LIST, 1002))
                b.click(PORT_OK, 1002)
                b.wait_for_text(COM_LABEL, "com:2")
                b.click(TEST)
                b.wait_for_text(OPERATION_STATUS, ">JX OK")
                b.wait_for_text(4060, "PotValue: 7")  # keyer-sim's, not the virtual keyer's
                self.assertIn("dtr=true&rts=false", keyer.signals)
                b.click(READ)
                b.wait_for_text(OPERATION_STATUS, ">Done")
                self.assertEqual(b.text(WEIGHT), "50")
                # The record read is kept in the browser's storage, under its history name.
                kept = b.driver.execute_script(
                    "return Object.keys(localStorage).filter(k => k.startsWith('keyer-tools/history/'))")
                self.assertEqual(len(kept), 1, kept)
                self.assertRegex(kept[0], r"^keyer-tools/history/\d{8}-\d{6}-\d{3}-read-[A-Z]+-[0-9.]+\.eep$")
                self.assertEqual(len(b.driver.execute_script("return localStorage.getItem(arguments[0])", kept[0])), 600)
                # The last entry: OK asks the browser's picker, whose port becomes com3.
                b.click(SET_COM_PORT)
                b.wait_for(lambda: b.dialog_open(1002), what="the port dialog")
                b.driver.execute_script("arguments[0].selectedIndex = 2; arguments[0].dispatchEvent(new Event('change'))",
                                        b.control(PORT_LIST, 1002))
                b.click(PORT_OK, 1002)
                b.wait_for_text(COM_LABEL, "com:3")
                opens = keyer.opens
                b.click(TEST)
                b.wait_for(lambda: keyer.opens > opens, what="the port opened again")
                b.wait_for_text(4060, "PotValue: 7")
        finally:
            server.stop()
            keyer.stop()


class PageWithoutWebSerial(unittest.TestCase):
    """A browser without Web Serial: the page says so, and the virtual keyer works."""

    def test_the_notice_the_virtual_keyer_and_a_download(self):
        server = harness.PageServer(PAGE_DIR)
        downloads = tempfile.mkdtemp(prefix="keyer-web-downloads-")
        try:
            with harness.browser_on(server, extra_flags=["--disable-blink-features=Serial"], scripts=[NO_SAVE_PICKER],
                                    download_dir=downloads) as b:
                notice = b.driver.find_element(By.ID, "no-web-serial")
                self.assertTrue(notice.is_displayed())
                self.assertIn("the serial port needs Chrome or Edge", notice.text)
                self.assertEqual(b.text(COM_LABEL), "com:1")  # a first visit: the virtual keyer
                b.click(TEST)
                b.wait_for_text(OPERATION_STATUS, ">JX OK")
                b.click(WRITE_CONFIG_FILE)  # an empty panel does not pass its checks
                box = b.wait_for(lambda: b.driver.find_elements(By.CSS_SELECTOR, '[role="alertdialog"]'), what="a message box")[0]
                self.assertEqual(box.get_attribute("data-caption"), "Error")
                self.assertEqual(b.driver.switch_to.active_element.get_attribute("data-control"), "1")  # it has the focus
                box.find_element(By.CSS_SELECTOR, '[data-control="1"]').click()
                b.click(RESET_DEFAULTS)
                b.click(WRITE_CONFIG_FILE)
                saved = os.path.join(downloads, "settings.eep")
                b.wait_for(lambda: os.path.exists(saved) and os.path.getsize(saved) == 300, what="the download")
        finally:
            server.stop()


class OfflineAfterTheFirstVisit(unittest.TestCase):
    def test_the_page_starts_with_its_server_gone(self):
        server = harness.PageServer(PAGE_DIR)
        address = server.address
        browser = harness.Browser()
        try:
            browser.driver.get(address + "index.html")
            browser.wait_for(lambda: browser.dialog_open(1001), what="the main window")
            # The worker takes the page over once it has cached every file.
            browser.wait_for(lambda: browser.driver.execute_script("return !!navigator.serviceWorker.controller"),
                             what="the service worker")
            server.stop()
            server = None
            browser.driver.get(address + "index.html")
            browser.wait_for(lambda: browser.dialog_open(1001), what="the main window without a server")
        finally:
            browser.quit()
            if server:
                server.stop()


if __name__ == "__main__":
    result = unittest.main(argv=[sys.argv[0], "-v", *sys.argv[3:]], exit=False).result
    failed = len(result.failures) + len(result.errors)
    print("%d passed, %d failed" % (result.testsRun - failed, failed))
    sys.exit(1 if failed else 0)
