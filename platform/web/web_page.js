// The page's side of the web edition (put before the module's own script):
// draws the dialogs the program asks for, queues what the operator does for
// the program's loops, and carries the serial port, the file choosers and
// the browser's storage.  The program waits in KeyerPage.waitForNews; every
// change it may wait for calls KeyerPage.notify.
var KeyerPage = (function () {
  "use strict";
  const page = {};
  const Kind = {GroupBox: 0, Static: 1, Edit: 2, CheckBox: 3, RadioButton: 4, PushButton: 5, ComboBox: 6, ProgressBar: 7};
  const Style = {AlignCenter: 1 << 1, VCenter: 1 << 2, MultiLine: 1 << 6, VScroll: 1 << 9, TabStop: 1 << 10,
                 MultiLineLabel: 1 << 11, Hidden: 1 << 12};
  const Event = {Command: 1, Timer: 2, Close: 3};
  const FontFamily = 'Tahoma, "Segoe UI", "DejaVu Sans", Verdana, sans-serif';
  const MessageBoxText = 65535;

  page.virtualSession = new URLSearchParams(location.search).get("keyer") === "virtual";

  // --- Waiting for news ----------------------------------------------------
  let wake = null;
  page.notify = function () {
    if (!wake) return;
    const resume = wake;
    wake = null;
    resume();
  };
  page.waitForNews = function (timeoutMs) {
    return new Promise((resolve) => {
      let timer = null;
      wake = () => { if (timer !== null) clearTimeout(timer); resolve(); };
      // Rounded up: a timer cut down to whole milliseconds would wake just
      // before the deadline, and the wait after it pays the browser's 4 ms
      // floor for nested timers.
      if (timeoutMs >= 0) timer = setTimeout(() => { wake = null; resolve(); }, Math.ceil(timeoutMs));
    });
  };

  page.cString = function (text) {
    const size = lengthBytesUTF8(text) + 1;
    const pointer = _malloc(size);
    stringToUTF8(text, pointer, size);
    return pointer;
  };

  // --- Operations: promises the program awaits by number ---------------------
  const operations = new Map();
  let nextOperation = 1;
  page.paths = new Map();
  page.startOperation = function (work) {
    const id = nextOperation++;
    const operation = {done: false, code: -1};
    operations.set(id, operation);
    Promise.resolve().then(() => work(id)).then(
      (code) => { operation.code = typeof code === "number" ? code : 0; },
      () => { operation.code = 1; }).finally(() => { operation.done = true; page.notify(); });
    return id;
  };
  page.operationDone = (id) => { const op = operations.get(id); return !op || op.done; };
  page.takeOperation = function (id) {
    const op = operations.get(id);
    operations.delete(id);
    return op && op.done ? op.code : -1;
  };
  page.chosenPath = function (id) {
    const path = page.paths.get(id) || "";
    page.paths.delete(id);
    return path;
  };

  // --- Events for the program's loops ----------------------------------------
  page.events = [];
  const pendingTimers = new Set();
  function queue(handle, kind, id, code) {
    page.events.push([handle, kind, id, code]);
    page.notify();
  }
  page.nextEvent = function (pointer) {
    const event = page.events.shift();
    if (!event) return false;
    if (event[1] === Event.Timer) pendingTimers.delete(event[0] + ":" + event[2]);
    for (let k = 0; k < 4; ++k) HEAP32[(pointer >> 2) + k] = event[k];
    return true;
  };

  // --- Dialogs ---------------------------------------------------------------
  const dialogs = new Map();
  const layers = [];  // open dialogs and message boxes, the topmost last

  function desktop() { return document.getElementById("keyer-desktop") || document.body; }
  function controlOf(handle, id) {
    const dialog = dialogs.get(handle);
    return dialog ? dialog.controls.get(id) : undefined;
  }
  function elementId(handle, id) { return "dialog-" + handle + "-control-" + id; }

  // Only the topmost layer takes input; the others are inert until it goes.
  function restack() {
    layers.forEach((layer, k) => { layer.inert = k !== layers.length - 1; });
  }
  function openLayer(layer, focus) {
    layer.previousFocus = document.activeElement;
    layers.push(layer);
    restack();
    if (focus) focus.focus();
  }
  function closeLayer(layer) {
    const k = layers.indexOf(layer);
    if (k >= 0) layers.splice(k, 1);
    layer.remove();
    restack();
    const previous = layer.previousFocus;
    if (previous && previous.isConnected && !previous.disabled) previous.focus();
  }

  function tabStops(root) {
    return Array.from(root.querySelectorAll("input, textarea, select, button")).filter(
      (el) => el.tabIndex >= 0 && !el.disabled && el.getClientRects().length > 0);
  }

  function onDialogKey(event, handle) {
    const dialog = dialogs.get(handle);
    if (!dialog || dialog.layer.inert) return;
    const plain = !event.ctrlKey && !event.altKey && !event.metaKey;
    if (event.key === "Escape") {
      // Command 2 in every control, never a close of the page's dialog.
      event.preventDefault();
      queue(handle, Event.Command, 2, 0);
    } else if (event.key === "Enter" && plain && !event.shiftKey) {
      const tag = event.target.tagName;
      // A line break in a multi-line edit; a focused button clicks itself.
      if (tag === "TEXTAREA" || tag === "BUTTON") return;
      event.preventDefault();
      queue(handle, Event.Command, 1, 0);
    } else if (event.key === "Tab" && !event.ctrlKey && !event.altKey) {
      const stops = tabStops(dialog.client);
      if (!stops.length) return;
      event.preventDefault();
      let k = stops.indexOf(document.activeElement);
      k = event.shiftKey ? (k <= 0 ? stops.length - 1 : k - 1) : (k + 1) % stops.length;
      stops[k].focus();
    }
  }

  page.createDialog = function (handle, templateId, caption, width, height, child, fontPixels) {
    const layer = document.createElement("div");
    layer.className = child ? "dialog-layer modal" : "dialog-layer";
    layer.hidden = true;
    const root = document.createElement("section");
    root.className = "dialog";
    root.dataset.dialog = String(templateId);
    root.dataset.caption = caption;
    root.setAttribute("role", "dialog");
    if (child) root.setAttribute("aria-modal", "true");
    const title = document.createElement("div");
    title.className = "caption";
    title.id = "dialog-" + handle + "-caption";
    const titleText = document.createElement("span");
    titleText.textContent = caption;
    const closeBox = document.createElement("button");
    closeBox.type = "button";
    closeBox.className = "close-box";
    closeBox.tabIndex = -1;
    closeBox.setAttribute("aria-label", "Close");
    closeBox.textContent = "\u00d7";
    closeBox.addEventListener("click", () => queue(handle, Event.Close, 0, 0));
    title.append(titleText, closeBox);
    root.setAttribute("aria-labelledby", title.id);
    const client = document.createElement("div");
    client.className = "client";
    client.style.width = width + "px";
    client.style.height = height + "px";
    client.style.fontSize = fontPixels + "px";
    root.append(title, client);
    layer.append(root);
    root.addEventListener("keydown", (event) => onDialogKey(event, handle));
    desktop().append(layer);
    dialogs.set(handle, {layer, root, client, controls: new Map(), timers: new Map()});
  };

  function placed(element, x, y, width, height) {
    element.style.left = x + "px";
    element.style.top = y + "px";
    element.style.width = width + "px";
    element.style.height = height + "px";
    return element;
  }

  function programLength(text) { return lengthBytesUTF8(text) + (text.match(/\n/g) || []).length; }
  function lengthLeftOf(el) {
    return programLength(el.value.slice(0, el.selectionStart) + el.value.slice(el.selectionEnd));
  }
  function replaceSelectionOf(el, text) {
    el.setRangeText(text, el.selectionStart, el.selectionEnd, "end");
  }

  function onBeforeInput(event, handle, id) {
    const el = event.target;
    const type = event.inputType;
    if (type === "insertText" || type === "insertLineBreak" || type === "insertParagraph") {
      event.preventDefault();
      const characters = type === "insertText" ? Array.from(event.data || "") : ["\r"];
      for (const character of characters) {
        const outcome = _web_type_character(handle, id, character.codePointAt(0), lengthLeftOf(el));
        if (outcome === 0) replaceSelectionOf(el, UTF8ToString(_web_result_text()));
      }
    } else if (type === "deleteContentBackward") {
      // Backspace is a character too: the filter may refuse it.
      if (_web_type_character(handle, id, 8, lengthLeftOf(el)) !== 2) event.preventDefault();
    } else if (type.startsWith("insertFrom") || type === "insertReplacementText") {
      event.preventDefault();
      const text = event.dataTransfer ? event.dataTransfer.getData("text/plain") : (event.data || "");
      const pointer = page.cString(text);
      const inserted = UTF8ToString(_web_insertion_text(handle, id, pointer, lengthLeftOf(el)));
      _free(pointer);
      replaceSelectionOf(el, inserted);
    }
  }

  page.addControl = function (handle, id, kind, text, x, y, width, height, styles, name, labelId, status) {
    const dialog = dialogs.get(handle);
    let box, el, textEl;
    const command = (code) => () => queue(handle, Event.Command, id, code);
    switch (kind) {
      case Kind.GroupBox:
        box = el = document.createElement("div");
        box.className = "group-box";
        textEl = document.createElement("span");
        textEl.className = "legend";
        box.append(textEl);
        break;
      case Kind.Static:
        box = el = textEl = document.createElement("div");
        box.className = "static";
        if (styles & Style.AlignCenter) box.classList.add("centred");
        if (styles & Style.VCenter) box.classList.add("middle");
        if (status) {
          box.setAttribute("role", "status");
          box.setAttribute("aria-live", "polite");
        }
        break;
      case Kind.Edit:
        box = el = document.createElement((styles & Style.MultiLine) ? "textarea" : "input");
        if (el.tagName === "INPUT") el.type = "text";
        el.className = "edit";
        if (styles & Style.VScroll) el.classList.add("scrolling");
        el.spellcheck = false;
        el.autocomplete = "off";
        el.addEventListener("beforeinput", (event) => onBeforeInput(event, handle, id));
        break;
      case Kind.CheckBox:
      case Kind.RadioButton: {
        box = document.createElement("label");
        box.className = "check";
        el = document.createElement("input");
        el.type = kind === Kind.CheckBox ? "checkbox" : "radio";
        textEl = document.createElement("span");
        box.append(el, textEl);
        // A radio button's state is the program's to set: the click only tells it.
        el.addEventListener("click", (event) => {
          if (kind === Kind.RadioButton) event.preventDefault();
          queue(handle, Event.Command, id, 0);
        });
        break;
      }
      case Kind.PushButton:
        box = el = textEl = document.createElement("button");
        el.type = "button";
        el.className = (styles & Style.MultiLineLabel) ? "push wrap" : "push";
        el.addEventListener("click", command(0));
        break;
      case Kind.ComboBox:
        box = el = document.createElement("select");
        el.className = "list";
        el.addEventListener("change", command(1));
        break;
      case Kind.ProgressBar:
        box = el = document.createElement("progress");
        el.max = 100;
        el.value = 0;
        break;
      default:
        return;
    }
    if (textEl) textEl.textContent = text;
    el.dataset.control = String(id);
    el.id = elementId(handle, id);
    if (kind === Kind.Edit || kind === Kind.ComboBox || kind === Kind.ProgressBar) {
      if (labelId) el.setAttribute("aria-labelledby", elementId(handle, labelId));
      else el.setAttribute("aria-label", name);
    }
    if ((el.tagName === "INPUT" || el.tagName === "TEXTAREA" || el.tagName === "SELECT" || el.tagName === "BUTTON") &&
        !(styles & Style.TabStop)) el.tabIndex = -1;
    placed(box, x, y, width, height);
    box.classList.add("control");
    if (styles & Style.Hidden) box.hidden = true;
    dialog.controls.set(id, {box, el, textEl, kind, styles});
    dialog.client.append(box);
  };

  page.showDialog = function (handle) {
    const dialog = dialogs.get(handle);
    dialog.layer.hidden = false;
    openLayer(dialog.layer, tabStops(dialog.client)[0]);
    setTimeout(serial.prefetch, 0);
  };

  page.destroyDialog = function (handle) {
    const dialog = dialogs.get(handle);
    if (!dialog) return;
    for (const timerId of Array.from(dialog.timers.keys())) page.stopTimer(handle, timerId);
    dialogs.delete(handle);
    closeLayer(dialog.layer);
  };

  page.setText = function (handle, id, text) {
    const control = controlOf(handle, id);
    if (!control) return;
    if (control.kind === Kind.Edit) {
      control.el.value = text;
      control.el.setSelectionRange(0, 0);
      control.el.scrollTop = 0;
    } else if (control.kind === Kind.ComboBox) {
      control.el.selectedIndex = Array.from(control.el.options).findIndex((option) => option.value === text);
    } else if (control.textEl && control.textEl.textContent !== text) {
      control.textEl.textContent = text;
    }
  };
  page.getText = function (handle, id) {
    const control = controlOf(handle, id);
    if (!control) return "";
    if (control.kind === Kind.Edit) return control.el.value;
    if (control.kind === Kind.ComboBox) {
      const option = control.el.options[control.el.selectedIndex];
      return option ? option.value : "";
    }
    return control.textEl ? control.textEl.textContent : "";
  };
  page.setChecked = function (handle, id, checked) {
    const control = controlOf(handle, id);
    if (control) control.el.checked = checked;
  };
  page.isChecked = (handle, id) => { const c = controlOf(handle, id); return !!(c && c.el.checked); };
  page.showControl = function (handle, id, visible) {
    const control = controlOf(handle, id);
    if (control) control.box.hidden = !visible;
  };
  page.enableControl = function (handle, id, enabled) {
    const control = controlOf(handle, id);
    if (!control) return;
    if ("disabled" in control.el) control.el.disabled = !enabled;
    control.box.classList.toggle("disabled", !enabled);
  };
  page.isEnabled = (handle, id) => { const c = controlOf(handle, id); return !!c && !c.box.classList.contains("disabled"); };
  page.listClear = function (handle, id) {
    const control = controlOf(handle, id);
    if (control) control.el.replaceChildren();
  };
  page.listAdd = function (handle, id, entry) {
    const control = controlOf(handle, id);
    if (!control) return;
    const selected = control.el.selectedIndex;
    // The entry exactly as the program gave it (the list shows its spaces folded).
    control.el.append(new Option(entry, entry));
    // An entry added is not chosen: the list keeps the selection it had.
    control.el.selectedIndex = selected;
  };
  page.listSelect = function (handle, id, index) {
    const control = controlOf(handle, id);
    if (control) control.el.selectedIndex = index >= 0 && index < control.el.options.length ? index : -1;
  };
  page.listSelection = (handle, id) => { const c = controlOf(handle, id); return c ? c.el.selectedIndex : -1; };
  page.lengthLeft = (handle, id) => { const c = controlOf(handle, id); return c ? lengthLeftOf(c.el) : 0; };
  page.replaceSelection = function (handle, id, text) {
    const control = controlOf(handle, id);
    if (!control) return;
    const el = control.el;
    // A log whose view was at its end follows what is added; one scrolled back stays.
    const following = el.scrollTop + el.clientHeight >= el.scrollHeight - 2;
    replaceSelectionOf(el, text);
    if (following) el.scrollTop = el.scrollHeight;
  };
  page.setProgress = function (handle, id, position) {
    const control = controlOf(handle, id);
    if (control) control.el.value = position;
  };

  page.startTimer = function (handle, timerId, periodMs) {
    const dialog = dialogs.get(handle);
    if (!dialog) return;
    page.stopTimer(handle, timerId);
    const key = handle + ":" + timerId;
    // Ticks missed while the program was busy arrive as one.
    dialog.timers.set(timerId, setInterval(() => {
      if (pendingTimers.has(key)) return;
      pendingTimers.add(key);
      queue(handle, Event.Timer, timerId, 0);
    }, periodMs));
  };
  page.stopTimer = function (handle, timerId) {
    const dialog = dialogs.get(handle);
    if (!dialog || !dialog.timers.has(timerId)) return;
    clearInterval(dialog.timers.get(timerId));
    dialog.timers.delete(timerId);
  };

  // --- Message boxes -----------------------------------------------------------
  const openBoxes = new Set();
  let nextBox = 1;
  const iconMarks = ["", "\u26a0", "\u2716", "\u2139"];
  page.openMessageBox = function (ownerHandle, text, caption, icon) {
    const id = nextBox++;
    const layer = document.createElement("div");
    layer.className = "dialog-layer modal";
    const box = document.createElement("section");
    box.className = "dialog message-box";
    box.setAttribute("role", "alertdialog");
    box.setAttribute("aria-modal", "true");
    box.dataset.caption = caption;
    const title = document.createElement("div");
    title.className = "caption";
    title.id = "message-box-" + id + "-caption";
    title.textContent = caption;
    const body = document.createElement("div");
    body.className = "message-body";
    const mark = document.createElement("span");
    mark.className = "message-icon icon-" + icon;
    mark.setAttribute("aria-hidden", "true");
    mark.textContent = iconMarks[icon] || "";
    const message = document.createElement("p");
    message.id = "message-box-" + id + "-text";
    message.dataset.control = String(MessageBoxText);
    message.textContent = text;
    body.append(mark, message);
    const ok = document.createElement("button");
    ok.type = "button";
    ok.className = "push";
    ok.dataset.control = "1";
    ok.textContent = "OK";
    box.setAttribute("aria-labelledby", title.id);
    box.setAttribute("aria-describedby", message.id);
    box.append(title, body, ok);
    layer.append(box);
    const close = () => {
      if (!openBoxes.delete(id)) return;
      closeLayer(layer);
      page.notify();
    };
    ok.addEventListener("click", close);
    box.addEventListener("keydown", (event) => {
      if (event.key === "Escape" || event.key === "Enter" || event.key === "Tab") {
        event.preventDefault();
        if (event.key !== "Tab") close();
      }
    });
    openBoxes.add(id);
    desktop().append(layer);
    openLayer(layer, ok);
    return id;
  };
  page.messageBoxOpen = (id) => openBoxes.has(id);

  // --- Dialog units: the font's letters, measured as the system measures them --
  let canvas = null;
  function measure(pixels, text) {
    canvas = canvas || document.createElement("canvas");
    const context = canvas.getContext("2d");
    context.font = pixels + "px " + FontFamily;
    return context.measureText(text);
  }
  page.lettersWidth = (pixels) => Math.round(measure(pixels, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz").width);
  page.fontHeight = function (pixels) {
    const metrics = measure(pixels, "Ag");
    const height = metrics.fontBoundingBoxAscent + metrics.fontBoundingBoxDescent;
    return Math.ceil(height > 0 ? height : pixels * 1.2);
  };

  page.programEnded = function () {
    const ended = document.getElementById("program-ended");
    if (ended) ended.hidden = false;
  };

  // --- Files ----------------------------------------------------------------------
  const storagePrefix = "keyer-tools/";
  function baseName(path) { return path.slice(path.lastIndexOf("/") + 1); }
  function safeName(name) { return name.replace(/[\/\\\0]/g, "_").slice(0, 100) || "file"; }
  function toHex(bytes) { return Array.from(bytes, (b) => b.toString(16).padStart(2, "0")).join(""); }
  function fromHex(text) {
    const bytes = new Uint8Array(text.length >> 1);
    for (let k = 0; k < bytes.length; ++k) bytes[k] = parseInt(text.substr(2 * k, 2), 16);
    return bytes;
  }
  page.loadStoredFiles = function (folder) {
    for (const name of ["/stored", "/session", "/chosen", "/saved", "/download"]) {
      try { FS.mkdir(name); } catch (e) { /* there already */ }
    }
    try {
      for (let k = 0; k < localStorage.length; ++k) {
        const key = localStorage.key(k);
        if (!key.startsWith(storagePrefix)) continue;
        // Keys are paths below the stored folder: "keyer-tools.cfg", "history/<entry>".
        const relative = key.slice(storagePrefix.length);
        const slash = relative.lastIndexOf("/");
        if (slash > 0) { try { FS.mkdirTree(folder + relative.slice(0, slash)); } catch (e) { /* there already */ } }
        FS.writeFile(folder + relative, fromHex(localStorage.getItem(key)));
      }
    } catch (e) { /* no storage in this browser: the program starts as on a first visit */ }
  };
  function storageKey(path) { return storagePrefix + path.slice("/stored/".length); }
  page.storeFile = function (path) {
    try { localStorage.setItem(storageKey(path), toHex(FS.readFile(path))); } catch (e) { /* kept for this visit only */ }
  };
  page.forgetFile = function (path) {
    try { localStorage.removeItem(storageKey(path)); } catch (e) { /* nothing was kept */ }
  };
  function activated() { return !navigator.userActivation || navigator.userActivation.isActive; }
  page.chooseFileToOpen = (accept) => page.startOperation(async (id) => {
    // A chooser opens only in answer to the operator's own click or key.
    if (!activated()) return 1;
    const input = document.createElement("input");
    input.type = "file";
    if (accept) input.accept = accept;
    input.dataset.fileChooser = "open";
    input.hidden = true;
    document.body.append(input);
    try {
      const file = await new Promise((resolve) => {
        input.addEventListener("change", () => resolve(input.files[0] || null));
        input.addEventListener("cancel", () => resolve(null));
        input.click();
      });
      if (!file) return 1;
      const path = "/chosen/" + safeName(file.name);
      FS.writeFile(path, new Uint8Array(await file.arrayBuffer()));
      page.paths.set(id, path);
      return 0;
    } finally {
      input.remove();
    }
  });
  const saveHandles = new Map();
  page.chooseFileToSave = (suggestedName, description, extension) => page.startOperation(async (id) => {
    if (typeof window.showSaveFilePicker === "function") {
      if (!activated()) return 1;
      const options = {suggestedName};
      if (extension) options.types = [{description, accept: {"application/octet-stream": [extension]}}];
      try {
        const handle = await window.showSaveFilePicker(options);
        const path = "/saved/" + safeName(handle.name);
        saveHandles.set(path, handle);
        page.paths.set(id, path);
        return 0;
      } catch (e) {
        return 1;
      }
    }
    // Without a save picker the file goes out as a download of that name.
    page.paths.set(id, "/download/" + safeName(suggestedName));
    return 0;
  });
  page.writeSavedFile = (path) => page.startOperation(async () => {
    const handle = saveHandles.get(path);
    if (!handle) return 1;
    const writable = await handle.createWritable();
    await writable.write(FS.readFile(path));
    await writable.close();
    return 0;
  });
  page.downloadFile = function (path) {
    const url = URL.createObjectURL(new Blob([FS.readFile(path)], {type: "application/octet-stream"}));
    const link = document.createElement("a");
    link.href = url;
    link.download = baseName(path);
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 60000);
  };

  // --- The serial port (Web Serial) --------------------------------------------------
  const serial = page.serial = {
    supported: typeof navigator !== "undefined" && "serial" in navigator,
    ports: [],  // granted ports: COM2 and on, in this order
    devices: new Map(),
    requestedIndex: -1,
  };
  const hex4 = (n) => n.toString(16).padStart(4, "0");
  // The browser takes a while to list its ports the first time: asked once
  // the main window shows, awaited only when the program first needs a port
  // other than the virtual keyer.
  let grantedAtStart = null;
  serial.prefetch = () => {
    if (!grantedAtStart) grantedAtStart = serial.supported ? navigator.serial.getPorts().catch(() => []) : Promise.resolve([]);
    return grantedAtStart;
  };
  serial.refresh = (fresh) => page.startOperation(async () => {
    const granted = await (fresh ? navigator.serial.getPorts() : serial.prefetch());
    serial.ports = serial.ports.filter((port) => granted.includes(port));
    for (const port of granted) if (!serial.ports.includes(port)) serial.ports.push(port);
    return 0;
  });
  serial.describe = function (index) {
    const port = serial.ports[index];
    const info = port && port.getInfo ? port.getInfo() : {};
    if (info.usbVendorId !== undefined) return "USB serial port " + hex4(info.usbVendorId) + ":" + hex4(info.usbProductId || 0);
    return "serial port";
  };
  serial.request = () => page.startOperation(async () => {
    try {
      const port = await navigator.serial.requestPort();
      if (!serial.ports.includes(port)) serial.ports.push(port);
      serial.requestedIndex = serial.ports.indexOf(port);
      return 0;
    } catch (e) {
      return 1;  // cancelled, or no click to answer
    }
  });
  function deviceOf(index) { return serial.devices.get(serial.ports[index]); }
  async function pump(device) {
    try {
      while (device.open && device.port.readable) {
        const reader = device.port.readable.getReader();
        device.reader = reader;
        try {
          for (;;) {
            const {value, done} = await reader.read();
            if (done) break;
            if (value && value.length) {
              device.received.push(value);
              device.receivedLength += value.length;
              page.notify();
            }
          }
        } catch (e) {
          // A framing, parity or overrun error leaves the port readable; a lost device does not.
        } finally {
          reader.releaseLock();
          device.reader = null;
        }
      }
      if (device.open) device.lost = true;
    } finally {
      page.notify();
    }
  }
  async function shut(device) {
    device.open = false;
    if (device.reader) await device.reader.cancel().catch(() => {});
    await device.pumping;
    const settled = new Promise((resolve) => {
      const check = () => (device.writesPending === 0 ? resolve() : setTimeout(check, 10));
      check();
    });
    await Promise.race([settled, new Promise((resolve) => setTimeout(resolve, 1000))]);
    if (device.writer) {
      device.writer.releaseLock();
      device.writer = null;
    }
    // Bytes the line still holds back are dropped, not waited for.
    if (device.writesPending && device.port.writable) await device.port.writable.abort().catch(() => {});
    await device.port.close().catch(() => {});
  }
  serial.open = (index, options) => page.startOperation(async () => {
    const port = serial.ports[index];
    if (!port) return 1;
    let device = serial.devices.get(port);
    // Opened again at another speed: what arrived before stays to be read.
    if (device && device.open) await shut(device);
    if (!device) {
      device = {port, received: [], receivedLength: 0, writesPending: 0, open: false, lost: false};
      serial.devices.set(port, device);
    }
    try {
      await port.open(options);
    } catch (e) {
      serial.devices.delete(port);
      if (e.name === "InvalidStateError" || e.name === "NetworkError") return 3;
      if (e.name === "SecurityError") return 2;
      if (e.name === "NotFoundError") return 1;
      return 4;
    }
    device.open = true;
    device.lost = false;
    device.writer = port.writable.getWriter();
    device.pumping = pump(device);
    return 0;
  });
  serial.setSignals = (index, dtr, rts) => page.startOperation(async () => {
    const device = deviceOf(index);
    if (!device || !device.open) return 1;
    await device.port.setSignals({dataTerminalReady: dtr, requestToSend: rts});
    return 0;
  });
  serial.write = (index, bytes) => page.startOperation(async () => {
    const device = deviceOf(index);
    if (!device || !device.open || !device.writer) return 1;
    device.writesPending++;
    try {
      await device.writer.write(bytes);
      return 0;
    } finally {
      device.writesPending--;
    }
  });
  serial.writesPending = (index) => { const d = deviceOf(index); return d ? d.writesPending : 0; };
  serial.available = (index) => { const d = deviceOf(index); return d ? d.receivedLength : 0; };
  serial.lost = (index) => { const d = deviceOf(index); return !d || !d.open || d.lost; };
  serial.take = function (index, heap, pointer, count) {
    const device = deviceOf(index);
    let taken = 0;
    while (device && taken < count && device.received.length) {
      const chunk = device.received[0];
      const n = Math.min(chunk.length, count - taken);
      heap.set(chunk.subarray(0, n), pointer + taken);
      taken += n;
      if (n === chunk.length) device.received.shift();
      else device.received[0] = chunk.subarray(n);
    }
    if (device) device.receivedLength -= taken;
    return taken;
  };
  serial.purge = function (index) {
    const device = deviceOf(index);
    if (!device) return;
    device.received = [];
    device.receivedLength = 0;
  };
  serial.close = (index) => page.startOperation(async () => {
    const port = serial.ports[index];
    const device = serial.devices.get(port);
    if (!device) return 0;
    serial.devices.delete(port);
    await shut(device);
    return 0;
  });

  return page;
})();
