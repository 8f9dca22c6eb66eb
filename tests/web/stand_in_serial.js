// A stand-in for the browser's serial port (the Web Serial SerialPort: open
// with a speed, setSignals, readable and writable streams, close) whose bytes
// go to keyer-sim on this machine through the test server's /serial/ bridge.
// Put in place of navigator.serial before the page loads, so that the page's
// own Web Serial code talks to it.
(() => {
  const bridge = "/serial/";
  class StandInPort {
    constructor() { this.readable = null; this.writable = null; this.opened = false; }
    getInfo() { return {usbVendorId: 0x0403, usbProductId: 0x6001}; }
    async open(options) {
      if (this.opened) throw new DOMException("The port is already open.", "InvalidStateError");
      const answer = await fetch(bridge + "open?baud=" + options.baudRate, {method: "POST"});
      if (!answer.ok) throw new DOMException("Failed to open serial port.", "NetworkError");
      this.opened = true;
      const port = this;
      this.readable = new ReadableStream({
        async pull(controller) {
          while (port.opened) {
            const bytes = new Uint8Array(await (await fetch(bridge + "read")).arrayBuffer());
            if (bytes.length) return controller.enqueue(bytes);
          }
          controller.close();
        },
      });
      this.writable = new WritableStream({
        async write(chunk) { await fetch(bridge + "write", {method: "POST", body: chunk}); },
      });
    }
    async setSignals(signals) {
      await fetch(bridge + "signals?dtr=" + !!signals.dataTerminalReady + "&rts=" + !!signals.requestToSend,
                  {method: "POST"});
    }
    async close() {
      if ((this.readable && this.readable.locked) || (this.writable && this.writable.locked))
        throw new DOMException("Cannot close a port with locked streams.", "InvalidStateError");
      this.opened = false;
      this.readable = this.writable = null;
      await fetch(bridge + "close", {method: "POST"});
    }
  }
  const port = new StandInPort();
  const serial = {
    async getPorts() { return [port]; },
    async requestPort() { return port; },
    addEventListener() {},
    removeEventListener() {},
  };
  Object.defineProperty(Navigator.prototype, "serial", {get() { return serial; }, configurable: true});
})();
