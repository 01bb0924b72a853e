// The page around the viewer core: files in (drop, picker), keys and the mouse in, the picture,
// the message and the info panel out on one canvas. Everything stays in the page.
"use strict";

// eslint-disable-next-line no-unused-vars
async function startViewer(createModule, moduleSource) {
  const m = await createModule();
  const canvas = document.getElementById("screen");
  const stage = document.getElementById("stage");
  const context = canvas.getContext("2d", {alpha: false});
  const picture = document.createElement("canvas");  // the picture at its own size
  const view = m._malloc(11 * 4);
  let shownGeneration = -1, messageTimer = 0;
  const GREY = "rgb(128, 128, 128)";

  const text = (pointer) => m.UTF8ToString(pointer);
  // The last of each timing stays in the page's performance timeline (DevTools shows it).
  const measured = (name, options) => {
    performance.clearMeasures(name);
    performance.measure(name, options);
  };
  const withStrings = (strings, call) => {
    const pointers = strings.map((s) => {
      const size = m.lengthBytesUTF8(s) + 1, p = m._malloc(size);
      m.stringToUTF8(s, p, size);
      return p;
    });
    try {
      return call(...pointers);
    } finally {
      pointers.forEach((p) => m._free(p));
    }
  };

  // What the core asked for after an event (bits, see webapi.cpp).
  function apply(actions) {
    if (actions < 0) return;
    const report = text(m._pm_report());
    if (report) console.warn("dragndrop: " + report);
    if (actions & 2) document.title = text(m._pm_caption());
    if (actions & 8 && !document.fullscreenElement) {
      stage.requestFullscreen().catch(() => m._pm_full_screen_changed(0) && paint());
    }
    if (actions & 16 && document.fullscreenElement) document.exitFullscreen();
    if (m._pm_save_rgb()) save();
    if (actions & 1) paint();
    clearTimeout(messageTimer);
    const due = m._pm_message_due();
    if (due >= 0) messageTimer = setTimeout(() => apply(m._pm_expire()), due + 1);
  }

  // The picture at its own size, taken from the core again only when it may have changed.
  // False when the browser has no memory for it: then only grey shows.
  function pictureReady(width, height) {
    if (m._pm_generation() === shownGeneration && picture.width === width &&
        picture.height === height) {
      return true;
    }
    const pixels = m._pm_picture();
    if (!pixels) return false;
    picture.width = width, picture.height = height;
    const rgba = new Uint8ClampedArray(m.HEAPU8.buffer, pixels, width * height * 4).slice();
    picture.getContext("2d").putImageData(new ImageData(rgba, width, height), 0, 0);
    shownGeneration = m._pm_generation();
    return true;
  }

  function paint() {
    const started = performance.now();
    const shown = m._pm_view(view);
    const [width, height, sx, sy, sw, sh, dx, dy, dw, dh] = new Int32Array(m.HEAPU8.buffer, view, 11);
    context.fillStyle = GREY;
    context.fillRect(0, 0, canvas.width, canvas.height);
    if (shown && sw > 0 && sh > 0 && pictureReady(width, height)) {
      context.imageSmoothingEnabled = false;  // whole-number scales stay exact
      context.drawImage(picture, sx, sy, sw, sh, dx, dy, dw, dh);
    }
    const hint = text(m._pm_hint());
    if (hint) centredLines(hint.split("\n"));
    const panel = text(m._pm_panel());
    if (panel) textBox(panel.split("\n"), "bottom");
    const message = text(m._pm_message());
    if (message) textBox([message], "top");
    measured("repaint", {start: started});
  }

  // The empty page's hint: the first line, the larger, across the canvas's middle; the others
  // below it.
  function centredLines(lines) {
    const unit = ratio(), sizes = lines.map((_, i) => (i === 0 ? 20 : 13) * unit);
    let y = canvas.height / 2 - sizes[0] / 2;
    context.fillStyle = "#fff";
    context.textAlign = "center";
    context.textBaseline = "top";
    lines.forEach((line, i) => {
      context.font = `${sizes[i]}px sans-serif`;
      context.fillText(line, canvas.width / 2, y);
      y += sizes[i] * 1.4;
    });
    context.textAlign = "start";
  }

  // Lines in a dark strip across the top or the bottom, wrapped to the canvas's width.
  function textBox(lines, edge) {
    const unit = ratio();
    context.font = `${14 * unit}px sans-serif`;
    const wrapped = [];
    for (const line of lines) {
      let rest = line;
      while (rest.length > 1 && context.measureText(rest).width > canvas.width - 16 * unit) {
        let cut = rest.length - 1;
        while (cut > 1 && context.measureText(rest.slice(0, cut)).width > canvas.width - 16 * unit) --cut;
        wrapped.push(rest.slice(0, cut)), rest = rest.slice(cut);
      }
      wrapped.push(rest);
    }
    const lineHeight = 18 * unit, height = wrapped.length * lineHeight + 8 * unit;
    const top = edge === "top" ? 0 : canvas.height - height;
    context.fillStyle = "rgba(0, 0, 0, 0.75)";
    context.fillRect(0, top, canvas.width, height);
    context.fillStyle = "#fff";
    context.textBaseline = "top";
    wrapped.forEach((line, i) => context.fillText(line, 8 * unit, top + 4 * unit + i * lineHeight));
  }

  // Ctrl+S: the browser's own PNG encoder, offered as a download of the converter's name.
  function save() {
    const width = m._pm_save_width(), height = m._pm_save_height();
    const rgb = new Uint8Array(m.HEAPU8.buffer, m._pm_save_rgb(), width * height * 3);
    const rgba = new Uint8ClampedArray(width * height * 4);
    for (let i = 0, j = 0; i < rgb.length; i += 3, j += 4) {
      rgba[j] = rgb[i], rgba[j + 1] = rgb[i + 1], rgba[j + 2] = rgb[i + 2], rgba[j + 3] = 255;
    }
    const name = text(m._pm_save_name());
    m._pm_save_taken();
    const out = document.createElement("canvas");
    out.width = width, out.height = height;
    out.getContext("2d").putImageData(new ImageData(rgba, width, height), 0, 0);
    out.toBlob((blob) => {
      if (!blob) return console.warn("dragndrop: " + name + ": the browser could not encode it");
      const link = document.createElement("a");
      link.href = URL.createObjectURL(blob), link.download = name;
      link.click();
      setTimeout(() => URL.revokeObjectURL(link.href), 10000);
    }, "image/png");
  }

  // The canvas has a pixel for each of the screen's, so that whole-number scales stay whole.
  const ratio = () => window.devicePixelRatio || 1;
  function resize() {
    const width = Math.max(Math.round(stage.clientWidth * ratio()), 1);
    const height = Math.max(Math.round(stage.clientHeight * ratio()), 1);
    if (canvas.width === width && canvas.height === height) return;
    canvas.width = width, canvas.height = height;
    canvas.style.width = width / ratio() + "px", canvas.style.height = height / ratio() + "px";
    apply(m._pm_resize(width, height) | 1);
  }

  // Files and folders in: every file is copied into the viewer, the items in the drop's order.
  async function open(items) {
    canvas.dataset.state = "busy";
    try {
      await openItems(items);
    } finally {
      canvas.dataset.state = "ready";
      canvas.focus();
    }
  }

  async function openItems(items) {
    const files = [];  // [path, File]
    const folders = [];
    const tops = [];
    async function walk(entry, path) {
      if (entry.isFile) {
        // A file that cannot be had stays unknown to the viewer: it cannot be opened.
        const file = await new Promise((ok) => entry.file(ok, () => ok(null)));
        if (file) files.push([path, file]);
      } else if (entry.isDirectory) {
        folders.push(path);
        const reader = entry.createReader();
        try {
          for (let batch; (batch = await new Promise((ok, fail) => reader.readEntries(ok, fail))).length;) {
            for (const child of batch) if (child.isFile) await walk(child, path + "/" + child.name);
          }
        } catch (error) {  // chromium lets no page opened from the disk read a folder
          console.warn(`dragndrop: ${path}: the browser does not let this page read folders (${error.name})`);
        }
      }
    }
    for (const item of items) {
      if (item.entry && !item.entry.isFile) {
        tops.push(item.entry.name);
        await walk(item.entry, item.entry.name);
      } else if (item.file) {
        tops.push(item.file.name);
        files.push([item.file.name, item.file]);
      }
    }
    if (document.getElementById("scan").checked) return openScanned(files);
    m._pm_drop_begin();
    for (const folder of folders) withStrings([folder], (p) => m._pm_drop_folder(p));
    for (const [path, file] of files) {
      // A file too large to show is only named; the viewer refuses it when it comes up.
      const into = withStrings([path], (p) => m._pm_drop_file(p, file.size));
      if (!into) continue;
      try {
        m.HEAPU8.set(new Uint8Array(await file.arrayBuffer()), into);
      } catch (error) {  // gone since the drop, or not readable
        withStrings([path], (p) => m._pm_drop_lost(p));
      }
    }
    for (const top of tops) withStrings([top], (p) => m._pm_drop_item(p));
    apply(m._pm_drop_end());
    measured("drop to picture", "drop");
  }

  // With "look inside" ticked, each file is scanned in the worker, read in slices there, and the
  // pictures found in it become the list, each named "NAME@0xOFFSET" as the converter names it.
  let scanner = null;
  function scanOne(file, done, total) {
    if (!scanner) scanner = scanWorker(moduleSource);
    const progress = document.getElementById("progress");
    return new Promise((resolve) => {
      const found = [];
      scanner.onmessage = ({data}) => {
        if (data.found !== undefined) found.push(data);
        if (data.read !== undefined) progress.value = (done + data.read) / Math.max(total, 1);
        if (data.status !== undefined) resolve({found, status: data.status, memory: data.memory});
      };
      scanner.postMessage(file);
    });
  }

  async function openScanned(files) {
    const progress = document.getElementById("progress");
    const total = files.reduce((sum, [, file]) => sum + file.size, 0);
    const entries = [];  // [name, bytes] of each picture, or [name, status] of a file without
    const started = performance.now();
    let done = 0, workerMemory = 0;
    progress.hidden = false;
    for (const [path, file] of files) {
      const {found, status, memory} = await scanOne(file, done, total);
      workerMemory = Math.max(workerMemory, memory);
      done += file.size;
      for (const picture of found) entries.push([path + "@0x" + picture.found.toString(16), picture.bytes]);
      if (!found.length) entries.push([path, status]);
    }
    progress.hidden = true;
    m._pm_drop_begin();
    for (const [name, what] of entries) {
      if (typeof what === "number") {
        withStrings([name], (p) => m._pm_drop_refused(p, what));
        continue;
      }
      const into = withStrings([name], (p) => m._pm_drop_file(p, what.length));
      if (into) m.HEAPU8.set(what, into);
    }
    for (const [name] of entries) withStrings([name], (p) => m._pm_drop_item(p));
    apply(m._pm_drop_end());
    measured("scan", {start: started, detail: {bytes: total, workerMemory}});
  }

  stage.addEventListener("dragover", (event) => {
    event.preventDefault();
    event.dataTransfer.dropEffect = "copy";
    stage.classList.add("dragover");
  });
  stage.addEventListener("dragleave", () => stage.classList.remove("dragover"));
  stage.addEventListener("drop", (event) => {
    performance.mark("drop");  // the page's timings are in DevTools' Performance panel
    event.preventDefault();
    stage.classList.remove("dragover");
    // The entries must be taken while the event lasts.
    const items = [];
    for (const item of event.dataTransfer.items) {
      if (item.kind !== "file") continue;
      // A file as the drop gives it (a page opened from the disk may not read it through its
      // entry); a folder through its entry.
      const entry = item.webkitGetAsEntry ? item.webkitGetAsEntry() : null;
      items.push({entry, file: item.getAsFile()});
    }
    open(items);
  });
  const picker = document.getElementById("picker");
  picker.addEventListener("change", () => {
    open(Array.from(picker.files, (file) => ({file})));
    picker.value = "";  // the same files may be picked again
  });

  canvas.addEventListener("keydown", (event) => {
    const started = performance.now();
    const modifiers = (event.ctrlKey ? 1 : 0) | (event.altKey ? 2 : 0);
    const actions = withStrings([event.key, event.code], (k, c) => m._pm_key(k, c, modifiers));
    if (actions < 0) return;
    event.preventDefault();  // Tab, Ctrl+S, F11 and the rest are the viewer's here
    apply(actions);
    measured("key to frame", {start: started});
  });
  canvas.addEventListener("wheel", (event) => {
    if (!event.ctrlKey || event.deltaY === 0) return;
    event.preventDefault();  // not the browser's own zoom
    apply(m._pm_zoom(event.deltaY < 0 ? 1 : -1));
  }, {passive: false});
  let grabbed = null;  // where the pointer was, while the left button drags the picture
  canvas.addEventListener("pointerdown", (event) => {
    if (event.button !== 0) return;
    canvas.setPointerCapture(event.pointerId);
    grabbed = {x: event.clientX, y: event.clientY};
    canvas.focus();
  });
  canvas.addEventListener("pointermove", (event) => {
    if (!grabbed || !canvas.hasPointerCapture(event.pointerId)) return;
    const dx = Math.round((event.clientX - grabbed.x) * ratio());
    const dy = Math.round((event.clientY - grabbed.y) * ratio());
    grabbed = {x: grabbed.x + dx / ratio(), y: grabbed.y + dy / ratio()};
    if (dx || dy) apply(m._pm_drag(dx, dy));
  });
  canvas.addEventListener("pointerup", () => (grabbed = null));
  document.addEventListener("fullscreenchange", () => {
    apply(m._pm_full_screen_changed(document.fullscreenElement ? 1 : 0));
    resize();
  });
  new ResizeObserver(resize).observe(stage);
  resize();
  apply(1);
  canvas.focus();
  // For whoever waits for the page: "ready" when it takes files and keys, "busy" while it reads.
  canvas.dataset.state = "ready";
}

// The scanning worker: a second instance of the module, in a worker so that the page stays
// responsive; it reads its file with FileReaderSync in slices, never whole. Made from a Blob:
// the single-file page has no file to start it from.
function scanWorker(moduleSource) {
  const body = "(" + scanInWorker.toString() + ")();";
  const module = moduleSource !== undefined;
  const source = module ? moduleSource + "\n" + body :
      `import createPelmora from "${new URL("pelmora.mjs", document.baseURI)}";\n` + body;
  const url = URL.createObjectURL(new Blob([source], {type: "text/javascript"}));
  return new Worker(url, module ? {} : {type: "module"});
}

function scanInWorker() {
  /* global createPelmora */
  const ready = createPelmora();
  const step = 16 << 20;  // progress after every 16 MB read
  self.onmessage = async ({data: file}) => {
    const m = await ready;
    const reader = new FileReaderSync();
    // The file is read ahead in large slices: each read of a Blob costs far more than its bytes.
    const ahead = 32 << 20;
    let slice = new Uint8Array(0), sliceAt = 0, reported = 0;
    m.readAt = (offset, into, n) => {
      try {
        if (offset < sliceAt || offset + n > sliceAt + slice.length) {
          const end = Math.min(file.size, offset + Math.max(n, ahead));
          slice = new Uint8Array(reader.readAsArrayBuffer(file.slice(offset, end)));
          sliceAt = offset;
        }
        const part = slice.subarray(offset - sliceAt, Math.min(offset - sliceAt + n, slice.length));
        m.HEAPU8.set(part, into);
        if (offset + part.length - reported >= step) {
          reported = offset + part.length;
          self.postMessage({read: reported});
        }
        return part.length;
      } catch (error) {
        return -1;
      }
    };
    m.found = (offset, bytes, length) => {
      const copy = m.HEAPU8.slice(bytes, bytes + length);
      self.postMessage({found: offset, bytes: copy}, [copy.buffer]);
    };
    const status = m._pm_scan(file.size);
    self.postMessage({status, memory: m.HEAPU8.length});
  };
}
