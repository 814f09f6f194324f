// The editor page: a topic header band and the topic body, both contenteditable, spoken to by the
// host through window.__sv_recv(jsonText) and svSetBaseHref(href), and posting JSON objects back
// with chrome.webview.postMessage. Undo history is our own (snapshots per editing area), so
// commands that rebuild markup undo as cleanly as typing.
'use strict';

(function () {
  var D = SvDom, T = SvTable;
  var headerEl = document.getElementById('sv-header');
  var bodyEl = document.getElementById('sv-body');
  var frameEl = document.getElementById('sv-image-frame');
  var handleEl = document.getElementById('sv-image-handle');
  var settingsStyleEl = document.getElementById('sv-settings-style');
  var topicCssEl = document.getElementById('sv-topic-css');

  var HISTORY_LIMIT = 200;
  var TYPING_GROUP_MS = 1500;
  var HEADER_ECHO_MS = 300;

  function Area(name, el) {
    this.name = name;
    this.el = el;
    this.undo = [];
    this.redo = [];
    this.state = { html: el.innerHTML, sel: null };  // the content as last committed
    this.typing = null;  // open typing group: {kind, time}
    this.saved = null;   // the last selection inside the area
  }
  var areas = { header: new Area('header', headerEl), body: new Area('body', bodyEl) };
  var activeArea = 'body';
  var headerBg = '';
  var pendingStyle = null;       // CSS properties for the next text typed at a collapsed caret
  var pendingStyleAt = null;
  var selectedImage = null;
  var inCommand = 0;
  var echoPending = false, echoTimer = 0;
  var styleTimer = 0;
  var tableBorder = { style: '', width: '', color: '' };

  function post(msg) {
    var w = window.chrome && window.chrome.webview;
    if (w && w.postMessage) w.postMessage(msg);
  }

  function areaOf(node) {
    if (!node) return null;
    if (headerEl.contains(node)) return areas.header;
    if (bodyEl.contains(node)) return areas.body;
    return null;
  }

  function currentRange() {
    var sel = window.getSelection();
    return sel.rangeCount ? sel.getRangeAt(0) : null;
  }

  function selectionArea() {
    var r = currentRange();
    return r ? areaOf(r.startContainer) : null;
  }

  function savedSelection(area) {
    var r = currentRange();
    if (r && area.el.contains(r.startContainer)) return D.saveRange(r, area.el);
    return area.saved;
  }

  function sameSaved(a, b) {
    return JSON.stringify(a) === JSON.stringify(b);
  }

  // ---- reporting to the host -----------------------------------------------------------------
  function postHeader() {
    post({ type: 'headerChanged', headerHtml: headerEl.innerHTML, headerBg: headerBg });
  }

  function flushHeaderEcho() {
    if (!echoPending) return;
    echoPending = false;
    clearTimeout(echoTimer);
    postHeader();
  }

  function reportChange(area, user) {
    if (!user) return;
    if (area.name === 'body') {
      post({ type: 'htmlChanged', html: bodyEl.innerHTML, user: true });
    } else {
      flushHeaderEcho();
      postHeader();
    }
  }

  function scheduleStyleReport() {
    if (!styleTimer) styleTimer = setTimeout(reportStyle, 0);
  }

  // ---- history -------------------------------------------------------------------------------
  function pushUndo(area, state) {
    area.undo.push(state);
    if (area.undo.length > HISTORY_LIMIT) area.undo.shift();
    area.redo = [];
  }

  function resetHistory(area) {
    area.undo = [];
    area.redo = [];
    area.typing = null;
    area.saved = null;
    area.state = { html: area.el.innerHTML, sel: null };
  }

  // Records the change from `before` (if there is one) and tells the host about it.
  function commit(area, before, user) {
    var html = area.el.innerHTML;
    if (html === before.html) return false;
    pushUndo(area, before);
    area.state = { html: html, sel: savedSelection(area) };
    reportChange(area, user);
    return true;
  }

  function restoreState(area, state) {
    area.el.innerHTML = state.html;
    area.state = { html: state.html, sel: state.sel };
    area.saved = state.sel;
    area.typing = null;
    deselectImage();
    D.selectRange(D.loadRange(state.sel, area.el));
  }

  function undo(area, user) {
    if (!area.undo.length) return;
    area.redo.push({ html: area.el.innerHTML, sel: savedSelection(area) });
    restoreState(area, area.undo.pop());
    reportChange(area, user);
  }

  function redo(area, user) {
    if (!area.redo.length) return;
    area.undo.push({ html: area.el.innerHTML, sel: savedSelection(area) });
    restoreState(area, area.redo.pop());
    reportChange(area, user);
  }

  // ---- the author's own edits ----------------------------------------------------------------
  function inputKind(type) {
    if (/^insert(Text|CompositionText|ReplacementText)$/.test(type)) return 'type';
    if (/^delete(Content)?(Backward|Forward)$/.test(type)) return 'delete';
    return 'other';
  }

  function userEdited(area, kind) {
    var now = Date.now();
    var grouped = kind !== 'other' && area.typing && area.typing.kind === kind && now - area.typing.time < TYPING_GROUP_MS;
    if (grouped) area.redo = [];
    else pushUndo(area, area.state);
    area.typing = kind === 'other' ? null : { kind: kind, time: now };
    area.state = { html: area.el.innerHTML, sel: savedSelection(area) };
    reportChange(area, true);
    updateImageFrame();
    scheduleStyleReport();
  }

  function onInput(e) {
    if (inCommand) return;
    var area = areaOf(e.target);
    if (area) userEdited(area, inputKind(e.inputType));
  }

  function onBeforeInput(e) {
    var area = areaOf(e.target);
    if (!area) return;
    if (e.inputType === 'historyUndo' || e.inputType === 'historyRedo') {
      e.preventDefault();
      (e.inputType === 'historyUndo' ? undo : redo)(area, true);
      return;
    }
    if (area.name === 'header' && e.inputType === 'insertParagraph') {
      e.preventDefault();
      document.execCommand('insertLineBreak');
      return;
    }
    if (pendingStyle && e.inputType === 'insertText' && e.data) {
      var r = currentRange();
      if (r && r.collapsed && sameSaved(D.saveRange(r, area.el), pendingStyleAt)) {
        e.preventDefault();
        typeStyledText(area, e.data);
      }
    }
  }

  // Text typed after a style was chosen at a collapsed caret goes into a span with that style.
  function typeStyledText(area, text) {
    var span = document.createElement('span');
    Object.keys(pendingStyle).forEach(function (prop) { span.style[prop] = pendingStyle[prop]; });
    var textNode = document.createTextNode(text);
    span.appendChild(textNode);
    var r = currentRange();
    r.insertNode(span);
    pendingStyle = null;
    D.caretAt(textNode, textNode.length);
    userEdited(area, 'type');
  }

  // An empty body gets a first paragraph when the author enters it, so text never sits bare.
  function ensureFirstParagraph() {
    if (bodyEl.firstChild && (bodyEl.children.length || bodyEl.textContent.trim())) return;
    bodyEl.innerHTML = '<p><br></p>';
    areas.body.state.html = bodyEl.innerHTML;
    D.caretInto(bodyEl.firstChild, false);
  }

  // ---- commands ------------------------------------------------------------------------------
  function targetArea() {
    return selectionArea() || areas[activeArea] || areas.body;
  }

  // Puts the selection back into the area (it may have gone with the focus).
  function focusArea(area) {
    if (selectionArea() === area) return;
    area.el.focus({ preventScroll: true });
    var range = area.saved ? D.loadRange(area.saved, area.el) : null;
    if (!range) {
      range = document.createRange();
      range.selectNodeContents(area.el);
      range.collapse(false);
    }
    D.selectRange(range);
  }

  function exec(cmd, value) {
    document.execCommand('styleWithCSS', false, false);
    return document.execCommand(cmd, false, value === undefined ? null : value);
  }

  function wrapBareText(area) {
    var r = currentRange();
    if (r && D.closestBlock(r.startContainer, area.el) === area.el) exec('formatBlock', 'p');
  }

  function setBlockStyle(area, prop, value) {
    wrapBareText(area);
    var r = currentRange();
    if (!r) return;
    D.leafBlocksInRange(r, area.el).forEach(function (block) {
      block.style[prop] = value;
      if (!block.getAttribute('style')) block.removeAttribute('style');
    });
  }

  var INLINE = { fontName: 'fontFamily', fontSizePx: 'fontSize', foreColor: 'color', backColor: 'backgroundColor' };

  function inlineValue(cmd, arg) {
    arg = arg || '';
    if (cmd === 'fontSizePx') {
      var n = parseInt(arg, 10);
      return n > 0 ? n + 'px' : '';
    }
    if (cmd === 'fontName') return arg ? '"' + arg.replace(/["\\]/g, '') + '"' : '';
    return arg;
  }

  function applyInline(area, cmd, arg) {
    var prop = INLINE[cmd], value = inlineValue(cmd, arg);
    var r = currentRange();
    if (!r) return;
    if (r.collapsed) {
      pendingStyle = pendingStyle || {};
      pendingStyle[prop] = value;
      pendingStyleAt = D.saveRange(r, area.el);
      return;
    }
    D.applyInlineStyle(area.el, prop, value);
  }

  function isNumberText(s) {
    return /^\s*\d+(\.\d+)?\s*$/.test(s || '');
  }

  function insertNode(area, node) {
    var pos = D.insertFragment(currentRange(), (function () {
      var f = document.createDocumentFragment();
      f.appendChild(node);
      return f;
    })(), area.el);
    D.caretAfterInsert(pos, area.el);
  }

  function insertLink(area, href, text) {
    var r = currentRange();
    if (!r) return;
    if (!r.collapsed) {
      exec('createLink', href);
      return;
    }
    var existing = D.closest(r.startContainer, 'a', area.el);
    if (existing) {
      existing.setAttribute('href', href);
      return;
    }
    var a = document.createElement('a');
    a.setAttribute('href', href);
    a.textContent = text || href;
    insertNode(area, a);
  }

  function caretCell() {
    var r = currentRange();
    return r ? D.closest(r.startContainer, 'td,th', null) : null;
  }

  function putCaret(target) {
    if (target && target.isConnected) D.caretInto(target, false);
  }

  function tableOp(area, op) {
    var cell = caretCell();
    if (!cell || !area.el.contains(cell)) return;
    var table = cell.closest('table');
    var target = op(cell);
    if (!table.isConnected && !target) {
      var p = document.createElement('p');
      p.innerHTML = '<br>';
      area.el.appendChild(p);
      target = p;
    }
    putCaret(target);
  }

  function insertTable(area, arg) {
    var parts = String(arg || '').split(',');
    var rows = parseInt(parts[0], 10), cols = parseInt(parts[1], 10);
    if (!(rows > 0 && cols > 0)) return;
    var table = T.build(Math.min(rows, 200), Math.min(cols, 50));
    insertNode(area, table);
    var next = table.nextElementSibling;
    if (!next || next.tagName === 'TABLE') {
      var p = document.createElement('p');
      p.innerHTML = '<br>';
      table.after(p);
    }
    putCaret(table.rows[0].cells[0]);
  }

  // Commands that change the document of an area: run(area, arg, user).
  var EDIT = {
    undo: function (area, arg, user) { undo(area, user); },
    redo: function (area, arg, user) { redo(area, user); },
    cut: function () { exec('cut'); },
    copy: function () { exec('copy'); },
    paste: function () { exec('paste'); },
    delete: function () {
      var r = currentRange();
      if (selectedImage) removeSelectedImage();
      else exec(r && r.collapsed ? 'forwardDelete' : 'delete');
    },
    selectAll: function (area) {
      var r = document.createRange();
      r.selectNodeContents(area.el);
      D.selectRange(r);
    },
    bold: function () { exec('bold'); },
    italic: function () { exec('italic'); },
    underline: function () { exec('underline'); },
    ul: function () { exec('insertUnorderedList'); },
    ol: function () { exec('insertOrderedList'); },
    p: function () { exec('formatBlock', 'p'); },
    h1: function () { exec('formatBlock', 'h1'); },
    h2: function () { exec('formatBlock', 'h2'); },
    h3: function () { exec('formatBlock', 'h3'); },
    indent: function () { exec('indent'); },
    outdent: function () { exec('outdent'); },
    align: function (area, arg) {
      if (!/^(left|center|right|justify)$/.test(arg || '')) return;
      setBlockStyle(area, 'textAlign', arg);
    },
    lineHeight: function (area, arg) {
      if (isNumberText(arg) && parseFloat(arg) > 0) setBlockStyle(area, 'lineHeight', String(arg).trim());
    },
    fontName: function (area, arg) { applyInline(area, 'fontName', arg); },
    fontSizePx: function (area, arg) { applyInline(area, 'fontSizePx', arg); },
    foreColor: function (area, arg) { applyInline(area, 'foreColor', arg); },
    backColor: function (area, arg) { applyInline(area, 'backColor', arg); },
    link: function (area, arg) {
      if (!arg) exec('unlink');
      else insertLink(area, arg, arg);
    },
    topicLink: function (area, arg) {
      var link;
      try { link = JSON.parse(arg || ''); } catch (e) { return; }
      if (link && typeof link.href === 'string' && link.href) insertLink(area, link.href, String(link.text || ''));
    },
    image: function (area, arg) {
      if (!arg) return;
      var img = document.createElement('img');
      img.setAttribute('src', arg);
      insertNode(area, img);
    },
    replaceSelectedImage: function (area, arg) {
      if (!arg || !selectedImage || !area.el.contains(selectedImage)) return;
      selectedImage.setAttribute('src', arg);
      selectedImage.removeAttribute('srcset');
      updateImageFrame();
    },
    removeSelectedImage: function () { removeSelectedImage(); },
    table: insertTable,
    insertTableRowAfter: function (area) { tableOp(area, T.insertRowAfter); },
    removeTableRow: function (area) { tableOp(area, T.removeRow); },
    insertTableColumnAfter: function (area) { tableOp(area, T.insertColumnAfter); },
    removeTableColumn: function (area) { tableOp(area, T.removeColumn); },
    insertHTML: function (area, arg) {
      if (!arg) return;
      D.caretAfterInsert(D.insertFragment(currentRange(), D.parseFragment(arg), area.el), area.el);
    }
  };

  function fontStack(name) {
    return name ? '"' + name.replace(/["\\]/g, '') + '", Arial, sans-serif' : '';
  }

  function updateTableStyle() {
    var b = tableBorder, decl = '';
    if (b.style) decl += 'border-style:' + b.style + ' !important;';
    if (b.width) decl += 'border-width:' + b.width + ' !important;';
    if (b.color) decl += 'border-color:' + b.color + ' !important;';
    settingsStyleEl.textContent = decl ? '#sv-body table, #sv-body td, #sv-body th {' + decl + '}' : '';
  }

  // The defaults for the body: what the settings say text looks like where it has no own style.
  function setBodyDefault(prop, value) {
    bodyEl.style[prop] = value || '';
    scheduleStyleReport();
  }

  var cssVersion = 0;

  // Commands that set up the page rather than edit a document: run(arg).
  var SETUP = {
    setCssFile: function (arg) {
      if (arg) topicCssEl.setAttribute('href', D.fileUrl(arg) + '?v=' + (++cssVersion));
      else topicCssEl.removeAttribute('href');
    },
    setHeaderHtml: function (arg) {
      headerEl.innerHTML = arg || '';
      resetHistory(areas.header);
      echoPending = true;
      clearTimeout(echoTimer);
      echoTimer = setTimeout(flushHeaderEcho, HEADER_ECHO_MS);
    },
    setHeaderBg: function (arg) {
      headerBg = arg || '';
      headerEl.style.backgroundColor = headerBg;
      flushHeaderEcho();
    },
    setPageBg: function (arg) { document.body.style.backgroundColor = arg || ''; },
    setTableBorderStyle: function (arg) { tableBorder.style = /^[a-z]+$/i.test(arg || '') ? arg : ''; updateTableStyle(); },
    setTableBorderWidth: function (arg) { tableBorder.width = parseInt(arg, 10) >= 0 ? parseInt(arg, 10) + 'px' : ''; updateTableStyle(); },
    setTableBorderColor: function (arg) { tableBorder.color = /^#[0-9a-f]{6}$/i.test(arg || '') ? arg : ''; updateTableStyle(); },
    setDefaultFontName: function (arg) { setBodyDefault('fontFamily', fontStack(arg)); },
    setDefaultFontSizePx: function (arg) { setBodyDefault('fontSize', inlineValue('fontSizePx', arg)); },
    setDefaultTextColor: function (arg) { setBodyDefault('color', arg); },
    setDefaultLineHeight: function (arg) { setBodyDefault('lineHeight', isNumberText(arg) ? String(arg).trim() : ''); }
  };

  // Pushed by the host (origin "program"), the text style commands set the body's defaults and
  // leave the author's text alone.
  var PROGRAM_DEFAULTS = {
    fontName: SETUP.setDefaultFontName,
    fontSizePx: SETUP.setDefaultFontSizePx,
    foreColor: SETUP.setDefaultTextColor,
    lineHeight: SETUP.setDefaultLineHeight,
    backColor: function (arg) { setBodyDefault('backgroundColor', arg); }
  };

  function runCommand(cmd, arg, user) {
    if (!user && PROGRAM_DEFAULTS[cmd]) { PROGRAM_DEFAULTS[cmd](arg); return; }
    if (SETUP[cmd]) { SETUP[cmd](arg); return; }
    var run = EDIT[cmd];
    if (!run) return;
    var area = targetArea();
    focusArea(area);
    if (cmd === 'undo' || cmd === 'redo') { run(area, arg, user); scheduleStyleReport(); return; }
    var before = area.state.html === area.el.innerHTML ? { html: area.state.html, sel: savedSelection(area) } : area.state;
    area.typing = null;
    inCommand++;
    try {
      run(area, arg, user);
    } finally {
      inCommand--;
    }
    commit(area, before, user);
    updateImageFrame();
    scheduleStyleReport();
  }

  // ---- messages from the host ----------------------------------------------------------------
  function setHtml(html) {
    bodyEl.innerHTML = html || '';
    resetHistory(areas.body);
    pendingStyle = null;
    deselectImage();
    if (selectionArea() === areas.body) D.caretInto(bodyEl, false);
    window.scrollTo(0, 0);
    scheduleStyleReport();
  }

  window.__sv_recv = function (text) {
    var msg;
    try { msg = JSON.parse(text); } catch (e) { return; }
    if (!msg || typeof msg !== 'object') return;
    try {
      switch (msg.type) {
        case 'setHtml': setHtml(typeof msg.html === 'string' ? msg.html : ''); break;
        case 'getHtml': post({ type: 'htmlResponse', html: bodyEl.innerHTML }); break;
        case 'getHeader': flushHeaderEcho(); postHeader(); break;
        case 'exec':
          if (typeof msg.cmd === 'string')
            runCommand(msg.cmd, typeof msg.arg === 'string' ? msg.arg : '', msg.origin === 'user');
          break;
      }
    } catch (e) {
      if (window.console) console.error('editor: ' + (e && e.stack || e));
    }
  };

  // Relative addresses resolve against the project folder. A number sign or question mark in a
  // folder name would cut the address short, so they are encoded here.
  window.svSetBaseHref = function (href) {
    var base = document.querySelector('base');
    if (!base) {
      base = document.createElement('base');
      document.head.insertBefore(base, document.head.firstChild);
    }
    base.setAttribute('href', String(href || '').replace(/#/g, '%23').replace(/\?/g, '%3F'));
    Array.prototype.forEach.call(document.querySelectorAll('.sv-area img[src]'), function (img) {
      img.setAttribute('src', img.getAttribute('src'));
    });
  };

  // ---- the caret -----------------------------------------------------------------------------
  function alignWord(css) {
    if (/center/.test(css)) return 'center';
    if (/right|end/.test(css)) return 'right';
    if (/justify/.test(css)) return 'justify';
    return 'left';
  }

  function commandState(name) {
    try { return document.queryCommandState(name); } catch (e) { return false; }
  }

  function lineHeightText(el, root, cs) {
    for (var n = el; n; n = n === root ? null : n.parentElement) {
      var v = n.style && n.style.lineHeight;
      if (!v || v === 'normal') continue;
      if (isNumberText(v)) return v.trim();
      if (/%$/.test(v)) return String(parseFloat(v) / 100);
      break;
    }
    return cs.lineHeight === 'normal' ? '' : cs.lineHeight;
  }

  function backColorAt(el, root) {
    for (var n = el; n && n !== root; n = n.parentElement) {
      var c = D.cssColorToHex(getComputedStyle(n).backgroundColor);
      if (c) return c;
    }
    return '';
  }

  function reportStyle() {
    styleTimer = 0;
    var area = selectionArea();
    var r = currentRange();
    if (!area || !r) return;
    var el = D.elementOf(r.startContainer);
    var child = r.startContainer.nodeType === 1 ? r.startContainer.childNodes[r.startOffset] : null;
    if (child && child.nodeType === 1 && child.tagName !== 'BR') el = child;
    var cs = getComputedStyle(el);
    var block = D.closestBlock(el, area.el);
    var li = D.closest(el, 'li', area.el);
    var list = li && li.parentElement ? li.parentElement.tagName.toLowerCase() : '';
    var p = pendingStyle || {};
    var s = {
      type: 'cursorStyle',
      area: area.name,
      fontName: D.firstFontFamily(p.fontFamily || cs.fontFamily),
      fontSizePx: parseInt(p.fontSize, 10) || Math.round(parseFloat(cs.fontSize)) || 0,
      textColor: p.color ? String(p.color).toUpperCase() : D.cssColorToHex(cs.color),
      backColor: p.backgroundColor ? String(p.backgroundColor).toUpperCase() : backColorAt(el, area.el),
      align: alignWord(getComputedStyle(block).textAlign),
      bold: commandState('bold'),
      italic: commandState('italic'),
      underline: commandState('underline'),
      listType: list === 'ul' || list === 'ol' ? list : '',
      blockTag: block === area.el ? '' : block.tagName.toLowerCase(),
      lineHeight: lineHeightText(el, area.el, cs)
    };
    // Posted on every move, even when it repeats the last report: the host may have set aside
    // an earlier one while it waited for its own change to arrive.
    post(s);
  }

  function onSelectionChange() {
    var area = selectionArea();
    if (!area) return;
    var saved = D.saveRange(currentRange(), area.el);
    area.saved = saved;
    if (!sameSaved(area.state.sel, saved)) area.typing = null;
    area.state.sel = saved;
    if (pendingStyle && !sameSaved(saved, pendingStyleAt)) pendingStyle = null;
    if (area.name !== activeArea) {
      activeArea = area.name;
      post({ type: 'areaChanged', area: area.name });
    }
    if (selectedImage && !selectionIsImage()) deselectImage();
    scheduleStyleReport();
  }

  // ---- the selected picture ------------------------------------------------------------------
  function selectionIsImage() {
    var r = currentRange();
    return !!r && r.startContainer.nodeType === 1 && r.startContainer.childNodes[r.startOffset] === selectedImage &&
      r.endOffset === r.startOffset + 1;
  }

  function selectImage(img) {
    selectedImage = img;
    var r = document.createRange();
    r.selectNode(img);
    D.selectRange(r);
    updateImageFrame();
  }

  function deselectImage() {
    selectedImage = null;
    frameEl.hidden = true;
  }

  function updateImageFrame() {
    if (!selectedImage || !selectedImage.isConnected) { deselectImage(); return; }
    var b = selectedImage.getBoundingClientRect();
    frameEl.style.left = (b.left + window.scrollX) + 'px';
    frameEl.style.top = (b.top + window.scrollY) + 'px';
    frameEl.style.width = b.width + 'px';
    frameEl.style.height = b.height + 'px';
    frameEl.hidden = false;
  }

  function removeSelectedImage() {
    if (!selectedImage) return;
    var img = selectedImage, parent = img.parentNode, index = Array.prototype.indexOf.call(parent.childNodes, img);
    deselectImage();
    img.remove();
    D.caretAt(parent, Math.min(index, parent.childNodes.length));
  }

  function startImageResize(e) {
    if (!selectedImage) return;
    e.preventDefault();
    var img = selectedImage, area = areaOf(img);
    var before = { html: area.el.innerHTML, sel: savedSelection(area) };
    var startX = e.clientX, startW = img.getBoundingClientRect().width;
    function move(ev) {
      var w = Math.max(16, Math.round(startW + ev.clientX - startX));
      img.style.width = w + 'px';
      img.style.height = 'auto';
      img.removeAttribute('width');
      img.removeAttribute('height');
      updateImageFrame();
    }
    function up() {
      document.removeEventListener('mousemove', move, true);
      document.removeEventListener('mouseup', up, true);
      commit(area, before, true);
    }
    document.addEventListener('mousemove', move, true);
    document.addEventListener('mouseup', up, true);
  }

  // ---- keyboard and mouse --------------------------------------------------------------------
  var CTRL_KEYS = { b: 'bold', i: 'italic', u: 'underline', l: ['align', 'left'], e: ['align', 'center'], r: ['align', 'right'], j: ['align', 'justify'] };

  function keyCommand(cmd, arg, e) {
    e.preventDefault();
    runCommand(cmd, arg || '', true);
  }

  function onTab(area, e) {
    var cell = caretCell();
    if (cell && area.el.contains(cell)) {
      var next = T.neighbourCell(cell, e.shiftKey);
      if (!next && !e.shiftKey) { keyCommand('insertTableRowAfter', '', e); return; }
      e.preventDefault();
      if (next) D.caretInto(next, false);
      return;
    }
    var r = currentRange();
    if (r && D.closest(r.startContainer, 'li', area.el)) { keyCommand(e.shiftKey ? 'outdent' : 'indent', '', e); return; }
    if (!e.shiftKey && area.name === 'body') { e.preventDefault(); document.execCommand('insertText', false, '\u00A0\u00A0\u00A0 '); }
  }

  function onKeyDown(e) {
    var area = selectionArea();
    if (!area) return;
    var mod = e.ctrlKey || e.metaKey;
    var key = (e.key || '').toLowerCase();
    if (selectedImage && (e.key === 'Delete' || e.key === 'Backspace')) { keyCommand('removeSelectedImage', '', e); return; }
    if (mod && !e.altKey) {
      if (key === 'z') { keyCommand(e.shiftKey ? 'redo' : 'undo', '', e); return; }
      if (key === 'y') { keyCommand('redo', '', e); return; }
      if (e.shiftKey && e.code === 'Digit7') { keyCommand('ol', '', e); return; }
      if (e.shiftKey && e.code === 'Digit8') { keyCommand('ul', '', e); return; }
      var c = !e.shiftKey && CTRL_KEYS[key];
      if (c) { keyCommand(typeof c === 'string' ? c : c[0], typeof c === 'string' ? '' : c[1], e); return; }
    }
    if (mod && e.altKey && /^Digit[0-3]$/.test(e.code)) { keyCommand(['p', 'h1', 'h2', 'h3'][+e.code.slice(5)], '', e); return; }
    if (e.key === 'Tab' && !mod && !e.altKey) onTab(area, e);
  }

  function onMouseDown(e) {
    if (e.target === handleEl) { startImageResize(e); return; }
    var img = e.target.closest && e.target.closest('img');
    if (img && areaOf(img)) { e.preventDefault(); areaOf(img).el.focus({ preventScroll: true }); selectImage(img); return; }
    if (selectedImage) deselectImage();
  }

  // Links are for reading, not for following, while the topic is edited.
  function onClick(e) {
    var a = e.target.closest && e.target.closest('a');
    if (a) e.preventDefault();
  }

  // A file dropped on the page must not replace the editor with that file.
  function onDragOver(e) {
    if (e.dataTransfer && Array.prototype.indexOf.call(e.dataTransfer.types || [], 'Files') >= 0) {
      e.preventDefault();
      e.dataTransfer.dropEffect = 'none';
    }
  }

  function onWindowFocus() {
    if (selectionArea()) return;
    focusArea(areas[activeArea] || areas.body);
  }

  document.execCommand('defaultParagraphSeparator', false, 'p');
  document.addEventListener('input', onInput, true);
  document.addEventListener('beforeinput', onBeforeInput, true);
  document.addEventListener('selectionchange', onSelectionChange);
  document.addEventListener('keydown', onKeyDown);
  document.addEventListener('mousedown', onMouseDown, true);
  document.addEventListener('click', onClick, true);
  document.addEventListener('auxclick', onClick, true);
  document.addEventListener('dragover', onDragOver, true);
  document.addEventListener('drop', onDragOver, true);
  bodyEl.addEventListener('focus', ensureFirstParagraph);
  window.addEventListener('focus', onWindowFocus);
  window.addEventListener('resize', updateImageFrame);
  window.addEventListener('scroll', updateImageFrame, true);

  post({ type: 'ready' });
})();
