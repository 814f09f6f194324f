/* WebHelp viewer: table of contents, topic pages, full-text search and the index.
   Reads window.__SV_TOC ({roots:[{id,title,file,children}]}) and window.__SV_START
   ({searchOnly:[{id,title,file}],load:[names],later:{}}), defined by scripts beside this file;
   window.__SV_CONTEXT (context.js, listed in load) maps help aliases to topic ids.
   Search uses the prebuilt index under search/ (index.js, then numbered pieces loaded on demand);
   a site without it falls back to window.__SV_SEARCH from search.js.
   Works from file:// without a server and makes no network request. */
(function () {
  "use strict";

  var MAX_RESULTS = 100;
  var EXCERPT_BEFORE = 60;
  var EXCERPT_LENGTH = 200;

  var INCOMPLETE = "The search index is incomplete. Publish the help again.";

  var tocData = (window.__SV_TOC && window.__SV_TOC.roots) || [];
  var start = window.__SV_START || null;

  var el = {
    app: document.getElementById("sv-app"),
    brand: document.getElementById("sv-brand"),
    menu: document.getElementById("sv-menu"),
    side: document.getElementById("sv-side"),
    splitter: document.getElementById("sv-splitter"),
    toc: document.getElementById("sv-toc"),
    search: document.getElementById("sv-search"),
    searchForm: document.getElementById("sv-search-form"),
    results: document.getElementById("sv-results"),
    resultsCount: document.getElementById("sv-results-count"),
    resultsList: document.getElementById("sv-results-list"),
    frame: document.getElementById("sv-frame"),
    empty: document.getElementById("sv-empty"),
    scrim: document.getElementById("sv-scrim")
  };

  var projectTitle = document.title;
  el.brand.textContent = projectTitle;

  // ---- topics ----------------------------------------------------------------------------

  // Every topic the viewer can show, by id: the table of contents first (in its order), then
  // the search entries that the contents leave out (children of excluded topics). A topic's
  // number is its place in tocOrder; the search index numbers topics the same way.
  var topics = Object.create(null);
  var tocOrder = [];
  var itemById = Object.create(null);

  function addTopic(id, title, file) {
    if (typeof id !== "string" || !id || topics[id]) return topics[id];
    var t = { id: id, title: String(title || ""), file: String(file || ("topics/" + id + ".html")), order: tocOrder.length };
    topics[id] = t;
    tocOrder.push(t);
    return t;
  }

  function safeFile(file) {
    // Only relative paths inside the site: no scheme, no parent folders.
    return /^[^:?#]+$/.test(file) && file.split("/").indexOf("..") < 0 ? file : "";
  }

  // Long work runs in slices of SLICE_MS, each its own task, so that the page keeps answering.
  var SLICE_MS = 8;
  var sliceChannel = new MessageChannel(), sliceQueue = [];
  sliceChannel.port1.onmessage = function () { var f = sliceQueue.shift(); if (f) f(); };
  function nextTask(fn) { sliceQueue.push(fn); sliceChannel.port2.postMessage(0); }

  // Calls step() until it returns false, yielding between slices, and sliceEnd() (if given)
  // after every slice; resolves when done. The first slice runs at once.
  function sliced(step, sliceEnd) {
    return new Promise(function (resolve) {
      (function run() {
        var until = performance.now() + SLICE_MS, more = true;
        do {
          for (var k = 0; k < 64 && more; k++) more = step();
        } while (more && performance.now() < until);
        if (sliceEnd) sliceEnd();
        if (more) nextTask(run);
        else resolve();
      })();
    });
  }

  // ---- table of contents -----------------------------------------------------------------

  // The contents as plain objects, walked once depth-first (which numbers the topics); the
  // list items of a branch are made when it first opens. A node is {id, title, parent, depth,
  // kids}; nodes with a missing or repeated id are left out with their branches.
  var nodeById = Object.create(null);

  // Walks the contents in slices. A first-level item is drawn as soon as its branch has been
  // walked (whether it has children is known then), so the contents show at once whatever the
  // size of the manual; resolves when every topic of the contents is numbered.
  function readToc(roots) {
    var stack = [{ nodes: roots, i: 0, parent: null, out: [] }];
    var frag = document.createDocumentFragment();
    function draw(node) { frag.appendChild(makeItem(node)); }
    function flush() {
      if (!frag.firstChild) return;
      var first = !el.toc.firstElementChild;
      el.toc.appendChild(frag);
      if (first) el.toc.firstElementChild.tabIndex = 0;
    }
    return sliced(function () {
      var top = stack[stack.length - 1];
      if (top.i >= top.nodes.length) {
        stack.pop();
        if (top.parent && !top.parent.parent) draw(top.parent);
        return stack.length > 0;
      }
      var n = top.nodes[top.i++];
      if (!n || typeof n.id !== "string" || !n.id || nodeById[n.id]) return true;
      addTopic(n.id, n.title, n.file);
      var node = { id: n.id, title: String(n.title || ""), parent: top.parent, depth: top.parent ? top.parent.depth + 1 : 0, kids: [] };
      nodeById[n.id] = node;
      top.out.push(node);
      if (Array.isArray(n.children) && n.children.length) stack.push({ nodes: n.children, i: 0, parent: node, out: node.kids });
      else if (!node.parent) draw(node);
      return true;
    }, flush);
  }

  function makeItem(node) {
    var li = document.createElement("li");
    li.setAttribute("role", "treeitem");
    li.setAttribute("tabindex", "-1");
    li.setAttribute("aria-level", String(node.depth + 1));
    li.dataset.id = node.id;
    li.svParent = node.parent ? itemById[node.parent.id] : null;
    li.svNode = node;
    var row = document.createElement("div");
    row.className = "sv-row";
    row.style.paddingLeft = (4 + node.depth * 16) + "px";
    var twisty = document.createElement("span");
    twisty.className = "sv-twisty";
    twisty.setAttribute("aria-hidden", "true");
    var a = document.createElement("a");
    a.href = "#" + encodeURIComponent(node.id);
    a.tabIndex = -1;
    a.textContent = node.title;
    row.appendChild(twisty);
    row.appendChild(a);
    li.appendChild(row);
    if (node.kids.length) li.setAttribute("aria-expanded", "false");
    else li.className = "sv-leaf";
    itemById[node.id] = li;
    return li;
  }

  function appendItems(parentUl, nodes) {
    var frag = document.createDocumentFragment();
    for (var i = 0; i < nodes.length; i++) frag.appendChild(makeItem(nodes[i]));
    parentUl.appendChild(frag);
  }

  // The branch of an item, made on first use.
  function ensureBranch(li) {
    if (li.svBranch || !li.svNode.kids.length) return;
    var ul = document.createElement("ul");
    ul.setAttribute("role", "group");
    li.svBranch = ul;
    appendItems(ul, li.svNode.kids);
    li.appendChild(ul);
  }

  // The list item of a topic in the contents, making the branches above it (closed) if needed.
  function ensureItem(id) {
    var node = nodeById[id];
    if (!node) return null;
    if (!itemById[id]) ensureBranch(ensureItem(node.parent.id));
    return itemById[id];
  }

  function isExpandable(li) { return li.hasAttribute("aria-expanded"); }
  function isExpanded(li) { return li.getAttribute("aria-expanded") === "true"; }
  function setExpanded(li, on) {
    if (!isExpandable(li)) return;
    if (on) ensureBranch(li);
    li.setAttribute("aria-expanded", on ? "true" : "false");
  }

  function visibleItems() {
    var out = [];
    (function walk(ul) {
      for (var li = ul.firstElementChild; li; li = li.nextElementSibling) {
        out.push(li);
        if (isExpanded(li)) walk(li.lastElementChild);
      }
    })(el.toc);
    return out;
  }

  function focusItem(li) {
    if (!li) return;
    var old = el.toc.querySelector('li[tabindex="0"]');
    if (old && old !== li) old.tabIndex = -1;
    li.tabIndex = 0;
    li.focus({ preventScroll: true });
    li.firstElementChild.scrollIntoView({ block: "nearest" });
  }

  function revealItem(li) {
    for (var p = li.svParent; p; p = p.svParent) setExpanded(p, true);
  }

  el.toc.addEventListener("click", function (e) {
    var row = e.target.closest(".sv-row");
    if (!row || e.ctrlKey || e.metaKey || e.shiftKey) return;
    var li = row.parentNode;
    e.preventDefault();
    if (e.target.classList.contains("sv-twisty")) {
      setExpanded(li, !isExpanded(li));
      focusItem(li);
      return;
    }
    // Selecting a closed parent opens it as well.
    if (isExpandable(li) && !isExpanded(li)) setExpanded(li, true);
    focusItem(li);
    navigateTo(li.dataset.id);
  });

  el.toc.addEventListener("keydown", function (e) {
    var li = e.target.closest && e.target.closest("li");
    if (!li || e.altKey || e.ctrlKey || e.metaKey) return;
    var items, i;
    switch (e.key) {
      case "ArrowDown":
        items = visibleItems(); i = items.indexOf(li);
        focusItem(items[Math.min(i + 1, items.length - 1)]);
        break;
      case "ArrowUp":
        items = visibleItems(); i = items.indexOf(li);
        focusItem(items[Math.max(i - 1, 0)]);
        break;
      case "Home":
        focusItem(el.toc.firstElementChild);
        break;
      case "End":
        items = visibleItems();
        focusItem(items[items.length - 1]);
        break;
      case "ArrowRight":
        if (isExpandable(li)) {
          if (!isExpanded(li)) setExpanded(li, true);
          else focusItem(li.lastElementChild.firstElementChild);
        }
        break;
      case "ArrowLeft":
        if (isExpanded(li)) setExpanded(li, false);
        else if (li.svParent) focusItem(li.svParent);
        break;
      case "*":
        var sibs = li.parentNode.children;
        for (i = 0; i < sibs.length; i++) setExpanded(sibs[i], true);
        break;
      case "Enter":
      case " ":
        navigateTo(li.dataset.id);
        break;
      default:
        // Type-ahead: a letter moves to the next visible topic whose title starts with it.
        if (e.key.length !== 1 || !/[\p{L}\p{N}]/u.test(e.key)) return;
        items = visibleItems(); i = items.indexOf(li);
        var ch = fold(e.key);
        for (var k = 1; k <= items.length; k++) {
          var cand = items[(i + k) % items.length];
          if (fold(cand.firstElementChild.textContent.trim()).lastIndexOf(ch, 0) === 0) { focusItem(cand); break; }
        }
    }
    e.preventDefault();
  });

  // ---- showing a topic -------------------------------------------------------------------

  var currentId = "";

  function idFromHash() {
    var h = location.hash.replace(/^#/, "");
    try { h = decodeURIComponent(h); } catch (err) { h = ""; }
    return h;
  }

  function frameUrl(t) {
    return safeFile(t.file);
  }

  function markCurrent(id) {
    var old = el.toc.querySelectorAll(".sv-current");
    for (var i = 0; i < old.length; i++) { old[i].classList.remove("sv-current"); old[i].parentNode.removeAttribute("aria-current"); }
    markCurrentResult(id);
    var li = ensureItem(id);
    if (!li) return;
    revealItem(li);
    li.firstElementChild.classList.add("sv-current");
    li.setAttribute("aria-current", "page");
    var prev = el.toc.querySelector('li[tabindex="0"]');
    if (prev && prev !== li) prev.tabIndex = -1;
    li.tabIndex = 0;
    if (!el.results.hidden) return;
    li.firstElementChild.scrollIntoView({ block: "nearest" });
  }

  function updateTitle(t) {
    document.title = t && t.title ? t.title + " - " + projectTitle : projectTitle;
  }

  // Shows the topic in the page frame without adding a history entry of its own: the address
  // (index.html#<id>) carries the history.
  function showTopic(id) {
    var t = topics[id];
    if (!t) return false;
    currentId = id;
    markCurrent(id);
    updateTitle(t);
    var url = frameUrl(t);
    if (url && frameTopicId() !== id) {
      try { el.frame.contentWindow.location.replace(url); }
      catch (err) { el.frame.src = url; }
    }
    return true;
  }

  function navigateTo(id) {
    if (!topics[id]) return;
    closeSideOnNarrow();
    if (idFromHash() === id) { showTopic(id); return; }
    location.hash = "#" + encodeURIComponent(id);   // hashchange shows it
  }

  // A help alias (context.js sets window.__SV_CONTEXT, lower-cased alias -> id): index.html#<alias>
  // opens its topic, ASCII case ignored.
  function contextTopicId(alias) {
    var map = window.__SV_CONTEXT;
    var key = alias.replace(/[A-Z]+/g, function (c) { return c.toLowerCase(); });
    return map && Object.prototype.hasOwnProperty.call(map, key) && typeof map[key] === "string" ? map[key] : "";
  }

  function firstTopicId() {
    return tocOrder.length ? tocOrder[0].id : "";
  }

  var started = false;         // the first address is routed once every topic is numbered

  function route() {
    if (!started) return;
    var id = idFromHash();
    if (!topics[id]) id = contextTopicId(id);
    if (!topics[id]) {
      id = firstTopicId();
      if (!id) return;
      if (location.hash) history.replaceState(null, "", location.pathname + location.search + "#" + encodeURIComponent(id));
    }
    if (id !== currentId || frameTopicId() !== id) showTopic(id);
  }

  // The id of the page the frame shows, when the browser lets us read its address (same-origin
  // file pages, or a web server); "" otherwise.
  function frameTopicId() {
    var href;
    try { href = el.frame.contentWindow.location.href; } catch (err) { return ""; }
    if (!href || href === "about:blank") return "";
    var m = /([^\/?#]+)\.html?(?:[?#].*)?$/i.exec(href);
    if (!m) return "";
    var id = decodeURIComponent(m[1]);
    return topics[id] ? id : "";
  }

  // A link followed inside a page: keep the address, the contents and the title in step.
  el.frame.addEventListener("load", function () {
    var id = frameTopicId();
    if (!id || id === currentId) return;
    currentId = id;
    history.replaceState(null, "", location.pathname + location.search + "#" + encodeURIComponent(id));
    markCurrent(id);
    updateTitle(topics[id]);
  });

  window.addEventListener("hashchange", route);

  // ---- search ----------------------------------------------------------------------------

  var WORD_RE;
  try { WORD_RE = new RegExp("[\\p{L}\\p{N}]+", "gu"); }
  catch (err) { WORD_RE = /[A-Za-z0-9\u00C0-\u024F\u0370-\u03FF\u0400-\u052F\u0590-\u06FF\u0900-\u0DFF\u3040-\u30FF\u4E00-\u9FFF\uAC00-\uD7AF]+/g; }
  var MARKS_RE = /[\u0300-\u036f]/g;

  // Lower case without accents: "Élan" and "elan", "Ёлка" and "елка" compare equal.
  function fold(s) {
    s = s.toLowerCase();
    if (s.normalize) s = s.normalize("NFD").replace(MARKS_RE, "");
    return s;
  }

  function words(text) {
    return String(text || "").match(WORD_RE) || [];
  }

  // Folds every word, through a cache: prose repeats its words.
  var foldCache = new Map();
  function foldAll(list) {
    if (foldCache.size > 50000) foldCache.clear();
    var out = new Array(list.length);
    for (var i = 0; i < list.length; i++) {
      var f = foldCache.get(list[i]);
      if (f === undefined) { f = fold(list[i]); foldCache.set(list[i], f); }
      out[i] = f;
    }
    return out;
  }

  var TITLE = 1, KEYWORD = 2, BODY = 4;

  function lowerBound(arr, key) {
    var lo = 0, hi = arr.length;
    while (lo < hi) { var mid = (lo + hi) >> 1; if (arr[mid] < key) lo = mid + 1; else hi = mid; }
    return lo;
  }

  function startsWith(s, prefix) { return s.lastIndexOf(prefix, 0) === 0; }

  // Hits of one term, in typed arrays by topic number (a term of a large manual hits thousands
  // of topics): the fields it occurs in, the fields where a word equals it, and the body count
  // summed over every word that begins with it; list holds the topics hit, in the order found.
  function DenseHits(n) {
    this.fields = new Uint8Array(n);
    this.exact = new Uint8Array(n);
    this.count = new Uint32Array(n);
    this.list = [];
  }
  DenseHits.prototype.add = function (no, fields, exactFields, count) {
    if (!fields || !(no < this.fields.length)) return;
    if (!this.fields[no]) this.list.push(no);
    this.fields[no] |= fields;
    this.exact[no] |= exactFields;
    this.count[no] += count;
  };
  DenseHits.prototype.score = function (no) {
    return fieldScore(this.fields[no], this.exact[no], this.count[no]);
  };

  // ---- the prebuilt index: search/index.js and its numbered pieces -------------------------

  var pieceData = {};      // registered by the piece scripts: name -> {id, data}
  var pieceLoads = {};     // name -> Promise of the piece's data
  var manifest = null;

  window.__SV_INDEX_PIECE = function (id, name, data) { pieceData[String(name)] = { id: id, data: data }; };

  // Adds the script of a piece and resolves with its data once it has registered with this
  // index's publish id; a missing, truncated or foreign piece rejects.
  function loadPiece(name) {
    name = String(name);
    if (pieceLoads[name]) return pieceLoads[name];
    return (pieceLoads[name] = new Promise(function (resolve, reject) {
      var s = document.createElement("script");
      s.src = "search/" + name + ".js";
      s.onload = function () {
        var r = pieceData[name];
        delete pieceData[name];
        s.remove();
        if (r && r.data && (name === "index" || (manifest && r.id === manifest.id))) resolve(r);
        else reject(new Error(INCOMPLETE));
      };
      s.onerror = function () { s.remove(); reject(new Error(INCOMPLETE)); };
      document.head.appendChild(s);
    }));
  }

  function prebuiltSource(m) {
    var wordBase = 0, prefixBase = m.words.length, textBase = prefixBase + m.prefixes.length;
    // Terms up to this long are answered from the prefix shards (two in indexes that do not say).
    var shortest = m.prefixLength > 0 ? m.prefixLength : 2;
    function shard(no) { return loadPiece(no).then(function (r) { return r.data; }); }
    // Shards whose range of words may hold words that begin with the term.
    function shardRange(firsts, term) {
      var first = lowerBound(firsts, term);
      if (first >= firsts.length || firsts[first] !== term) first--;
      if (first < 0) first = 0;
      var last = first;
      while (last + 1 < firsts.length && startsWith(firsts[last + 1], term)) last++;
      return firsts.length ? [first, last] : [0, -1];
    }
    function lookup(term) {
      var hits = new DenseHits(m.topics);
      if (term.length <= shortest) {
        // Combined hits stored for the short prefixes.
        var at = lowerBound(m.prefixes, term);
        if (at >= m.prefixes.length || m.prefixes[at] !== term) at--;
        if (at < 0) return Promise.resolve(hits);
        return shard(prefixBase + at).then(function (d) {
          var i = lowerBound(d.w, term);
          if (d.w[i] === term) {
            var p = d.p[i], no = 0;
            for (var k = 0; k < p.length; k += 2) {
              no += p[k];
              var v = p[k + 1];
              hits.add(no, v & 7, (v >> 3) & 7, v >> 6);
            }
          }
          return hits;
        });
      }
      var range = shardRange(m.words, term), loads = [];
      for (var n = range[0]; n <= range[1]; n++) loads.push(shard(wordBase + n));
      return Promise.all(loads).then(function (shards) {
        shards.forEach(function (d) {
          for (var i = lowerBound(d.w, term); i < d.w.length && startsWith(d.w[i], term); i++) {
            var exact = d.w[i] === term, p = d.p[i], no = 0;
            for (var k = 0; k < p.length; k += 2) {
              no += p[k];
              var v = p[k + 1], f = v & 7;
              hits.add(no, f, exact ? f : 0, Math.floor(v / 8));
            }
          }
        });
        return hits;
      });
    }
    function piece(no) { return shard(textBase + Math.floor(no / m.group)); }
    function text(no) {
      return piece(no).then(function (d) { return String(d.t[no % m.group] || ""); });
    }
    function title(no) { return tocOrder[no] ? tocOrder[no].title : ""; }
    // The folded words of a topic's title, keywords and text, from its text piece; the last
    // topics asked for are kept.
    var wordsOf = new Map();
    function topicWords(no) {
      if (wordsOf.has(no)) return Promise.resolve(wordsOf.get(no));
      return piece(no).then(function (d) {
        var i = no % m.group;
        var w = { title: foldAll(words(title(no))), keywords: foldAll(words(d.k ? d.k[i] : "")), body: foldAll(words(d.t[i])) };
        if (wordsOf.size >= 200) wordsOf.clear();
        wordsOf.set(no, w);
        return w;
      });
    }
    return { lookup: lookup, text: text, title: title, topicWords: topicWords };
  }

  // ---- no prebuilt index: the whole search.js, indexed here --------------------------------

  function fallbackSource(data) {
    var map = new Map(), entries = [];
    function add(text, no, field) {
      var ws = words(text);
      for (var i = 0; i < ws.length; i++) {
        var w = fold(ws[i]);
        var posting = map.get(w);
        if (!posting) { posting = new Map(); map.set(w, posting); }
        var hit = posting.get(no);
        if (!hit) { hit = { fields: 0, count: 0 }; posting.set(no, hit); }
        hit.fields |= field;
        if (field === BODY) hit.count++;
      }
    }
    for (var i = 0; i < data.length; i++) {
      var s = data[i];
      if (!s || typeof s.id !== "string") continue;
      var t = addTopic(s.id, s.title, s.file);
      if (!t || entries[t.order]) continue;
      var no = t.order;
      entries[no] = { title: String(s.title || ""), text: String(s.text || "") };
      add(s.title, no, TITLE);
      add(s.keywords, no, KEYWORD);
      add(s.text, no, BODY);
    }
    var vocab = Array.from(map.keys()).sort();
    function lookup(term) {
      var hits = new DenseHits(tocOrder.length);
      for (var i = lowerBound(vocab, term); i < vocab.length && startsWith(vocab[i], term); i++) {
        var exact = vocab[i] === term;
        map.get(vocab[i]).forEach(function (hit, no) { hits.add(no, hit.fields, exact ? hit.fields : 0, hit.count); });
      }
      return Promise.resolve(hits);
    }
    return {
      lookup: lookup,
      text: function (no) { return Promise.resolve(entries[no] ? entries[no].text : ""); },
      title: function (no) { return entries[no] ? entries[no].title : ""; }
    };
  }

  function loadScript(src) {
    return new Promise(function (resolve, reject) {
      var s = document.createElement("script");
      s.src = src;
      s.onload = function () { resolve(); };
      s.onerror = function () { reject(new Error("Cannot load " + src)); };
      document.head.appendChild(s);
    });
  }

  // The search source, once: the prebuilt index when its manifest is there, else search.js.
  var sourcePromise = null;
  function searchSource() {
    if (sourcePromise) return sourcePromise;
    return (sourcePromise = numbered.then(function () { return loadPiece("index"); }).then(function (r) {
      var m = r.data;
      m.id = r.id;
      if (!Array.isArray(m.words) || !Array.isArray(m.prefixes) || !(m.group > 0) || !(m.topics >= 0)) throw new Error(INCOMPLETE);
      manifest = m;
      return prebuiltSource(m);
    }, function () {
      return loadScript("search.js").then(function () {}, function () {}).then(function () {
        return fallbackSource((window.__SV_SEARCH && window.__SV_SEARCH.topics) || []);
      });
    }));
  }

  var VERIFY_LIMIT = 20;

  // The hit of a term in one topic's folded words, as the index gives it.
  function hitInWords(w, term) {
    var h = { fields: 0, exactFields: 0, count: 0 };
    function field(list, flag) {
      for (var i = 0; i < list.length; i++) {
        if (list[i].lastIndexOf(term, 0) !== 0) continue;
        h.fields |= flag;
        if (list[i] === term) h.exactFields |= flag;
        if (flag === BODY) h.count++;
      }
    }
    field(w.title, TITLE);
    field(w.keywords, KEYWORD);
    field(w.body, BODY);
    return h;
  }

  function fieldScore(fields, exactFields, count) {
    var s = 0;
    if (fields & TITLE) s += 100 + (exactFields & TITLE ? 20 : 0);
    if (fields & KEYWORD) s += 60 + (exactFields & KEYWORD ? 10 : 0);
    if (fields & BODY) s += 1 + Math.min(count, 20) * 0.5 + (exactFields & BODY ? 2 : 0);
    return s;
  }

  function queryTerms(query) {
    var terms = [];
    words(query).forEach(function (w) { w = fold(w); if (terms.indexOf(w) < 0) terms.push(w); });
    return terms;
  }

  // Every term must occur (as a word prefix) somewhere in the topic; title and keyword hits
  // rank first, then body frequency; ties keep the viewer's topic order. Resolves with
  // {terms, results: [topic number...], source}, or with null once stillWanted() (if given)
  // says that a later query has taken its place.
  //
  // With the prebuilt index the longer terms are looked up first (they are the rarer ones as a
  // rule, so the candidates shrink soonest); once at most VERIFY_LIMIT candidates are left, the
  // remaining terms are matched against those topics' own words instead of loading their shards.
  // A score is a sum of halves, so the order of the terms does not change it.
  function search(query, stillWanted) {
    var terms = queryTerms(query);
    return searchSource().then(function (source) {
      if (!terms.length) return { terms: terms, results: [], source: source };
      var order = source.topicWords ? terms.slice().sort(function (a, b) { return b.length - a.length; }) : terms;
      var score = null, cands = null, k = 0;   // score by topic number, of the topics in cands
      function next() {
        if (stillWanted && !stillWanted()) return Promise.resolve(false);
        if (k >= order.length || (cands && !cands.length)) return Promise.resolve(true);
        if (cands && source.topicWords && cands.length <= VERIFY_LIMIT) return verify(order.slice(k));
        return source.lookup(order[k++]).then(function (hits) {
          var list = hits.list, i, no;
          if (!cands) {
            score = new Float64Array(hits.fields.length);
            for (i = 0; i < list.length; i++) { no = list[i]; score[no] = hits.score(no); }
            cands = list;
          } else {
            var kept = [];
            for (i = 0; i < cands.length; i++) {
              no = cands[i];
              if (hits.fields[no]) { score[no] += hits.score(no); kept.push(no); }
            }
            cands = kept;
          }
          return next();
        });
      }
      function verify(rest) {
        return Promise.all(cands.map(source.topicWords)).then(function (list) {
          if (stillWanted && !stillWanted()) return false;
          var kept = [];
          list.forEach(function (w, i) {
            var no = cands[i], add = 0;
            for (var j = 0; j < rest.length; j++) {
              var h = hitInWords(w, rest[j]);
              if (!h.fields) return;
              add += fieldScore(h.fields, h.exactFields, h.count);
            }
            score[no] += add;
            kept.push(no);
          });
          cands = kept;
          return true;
        });
      }
      return next().then(function (wanted) {
        if (!wanted) return null;
        return { terms: terms, results: rank(cands || [], score), source: source };
      });
    });
  }

  // The topic numbers by falling score, ties by number. Scores are halves, so twice a score is
  // a whole number: the sort runs on (top - 2 * score) * n + number, a whole number below 2^53,
  // which the typed array sorts natively.
  function rank(cands, score) {
    var n = tocOrder.length, top = 0, i, keys = [];
    for (i = 0; i < cands.length; i++) if (cands[i] < n && score[cands[i]] > top) top = score[cands[i]];
    top *= 2;
    for (i = 0; i < cands.length; i++) if (cands[i] < n) keys.push((top - 2 * score[cands[i]]) * n + cands[i]);
    var sorted = new Float64Array(keys).sort(), out = new Array(sorted.length);
    for (i = 0; i < sorted.length; i++) out[i] = sorted[i] % n;
    return out;
  }

  function matchesTerm(word, terms) {
    var f = fold(word);
    for (var i = 0; i < terms.length; i++) if (f.lastIndexOf(terms[i], 0) === 0) return true;
    return false;
  }

  // Appends text to a node, with every word that begins with a term inside <mark>.
  function appendHighlighted(node, text, terms) {
    var last = 0, m;
    WORD_RE.lastIndex = 0;
    while ((m = WORD_RE.exec(text))) {
      if (!matchesTerm(m[0], terms)) continue;
      if (m.index > last) node.appendChild(document.createTextNode(text.slice(last, m.index)));
      var mark = document.createElement("mark");
      mark.textContent = m[0];
      node.appendChild(mark);
      last = m.index + m[0].length;
    }
    if (last < text.length) node.appendChild(document.createTextNode(text.slice(last)));
  }

  // A short passage of the body around the first matching word.
  function excerpt(text, terms) {
    var at = -1, m;
    WORD_RE.lastIndex = 0;
    while ((m = WORD_RE.exec(text))) {
      if (matchesTerm(m[0], terms)) { at = m.index; break; }
    }
    var start = at < 0 ? 0 : Math.max(0, at - EXCERPT_BEFORE);
    if (start > 0) { var sp = text.indexOf(" ", start); if (sp >= 0 && sp < at) start = sp + 1; }
    var end = Math.min(text.length, start + EXCERPT_LENGTH);
    if (end < text.length) { var sp2 = text.lastIndexOf(" ", end); if (sp2 > start + EXCERPT_LENGTH / 2) end = sp2; }
    return (start > 0 ? "\u2026" : "") + text.slice(start, end) + (end < text.length ? "\u2026" : "");
  }

  function markCurrentResult(id) {
    var links = el.resultsList.querySelectorAll(".sv-result");
    for (var i = 0; i < links.length; i++) links[i].classList.toggle("sv-current", links[i].dataset.id === id);
  }

  function countLine(n) {
    return n === 0 ? "No topics found" : n === 1 ? "1 topic found" : n + " topics found";
  }

  var searchSeq = 0;           // each query supersedes the one before
  var ROWS_PER_TASK = 20;      // result rows drawn in one task: the count line comes with the first
  var EXCERPT_LOADS = 2;       // text pieces loading at a time for excerpts

  function showIncomplete() {
    excerptWanted = [];
    el.resultsList.textContent = "";
    el.resultsCount.textContent = INCOMPLETE;
    el.results.removeAttribute("aria-busy");
  }

  // Excerpts: a row asks for its text piece once it comes near the view, and at most
  // EXCERPT_LOADS pieces load at once, the rows higher up first, so that the pieces the next
  // keystroke needs never queue behind a screenful of excerpts of the one before.
  var excerptObserver = null, excerptWanted = [], excerptLoading = 0;

  function pumpExcerpts() {
    while (excerptLoading < EXCERPT_LOADS && excerptWanted.length) {
      var a = excerptWanted.shift();
      if (!a.svPending || a.svPending.seq !== searchSeq || !a.svNear) continue;
      excerptLoading++;
      loadExcerpt(a).then(excerptDone, excerptDone);
    }
  }
  function excerptDone() { excerptLoading--; pumpExcerpts(); }

  // Fills in the excerpt of a row once its text piece is there.
  function loadExcerpt(a) {
    var p = a.svPending;
    a.svPending = null;
    if (excerptObserver) excerptObserver.unobserve(a);
    return p.source.text(p.no).then(function (text) {
      if (p.seq !== searchSeq) return;
      if (text) {
        var ex = document.createElement("span");
        ex.className = "sv-result-excerpt";
        appendHighlighted(ex, excerpt(text, p.terms), p.terms);
        a.appendChild(ex);
      }
      a.removeAttribute("data-pending");
    }, function () {
      if (p.seq === searchSeq) showIncomplete();
    });
  }

  function watchExcerpt(a) {
    if (!excerptObserver && window.IntersectionObserver) {
      excerptObserver = new IntersectionObserver(function (changes) {
        changes.forEach(function (c) {
          c.target.svNear = c.isIntersecting;
          if (c.isIntersecting) excerptWanted.push(c.target);
        });
        pumpExcerpts();
      }, { root: el.side, rootMargin: "200px 0px" });
    }
    if (excerptObserver) excerptObserver.observe(a);
    else { a.svNear = true; excerptWanted.push(a); pumpExcerpts(); }
  }

  function resultRow(r, no, seq) {
    var t = tocOrder[no];
    var li = document.createElement("li");
    var a = document.createElement("a");
    a.className = t.id === currentId ? "sv-result sv-current" : "sv-result";
    a.href = "#" + encodeURIComponent(t.id);
    a.dataset.id = t.id;
    var title = document.createElement("span");
    title.className = "sv-result-title";
    appendHighlighted(title, r.source.title(no), r.terms);
    a.appendChild(title);
    a.setAttribute("data-pending", "");
    a.svPending = { source: r.source, no: no, terms: r.terms, seq: seq };
    li.appendChild(a);
    return li;
  }

  // The first rows come with the count line, the others follow a task at a time, so that no
  // task lays out the whole list; the results area stays busy until the last row is there.
  function drawResults(r, seq) {
    el.resultsList.textContent = "";
    var n = r.results.length, shown = Math.min(n, MAX_RESULTS), i = 0;
    function drawRows() {
      var frag = document.createDocumentFragment(), rows = [];
      for (var upTo = Math.min(shown, i + ROWS_PER_TASK); i < upTo; i++) {
        var li = resultRow(r, r.results[i], seq);
        rows.push(li.firstChild);
        frag.appendChild(li);
      }
      el.resultsList.appendChild(frag);
      rows.forEach(watchExcerpt);
      if (i >= shown) el.results.removeAttribute("aria-busy");
      else nextTask(function () { if (seq === searchSeq) drawRows(); });
    }
    drawRows();
    el.resultsCount.textContent = countLine(n);
  }

  function renderResults(query) {
    var seq = ++searchSeq;
    excerptWanted = [];
    el.resultsCount.textContent = "";
    el.results.setAttribute("aria-busy", "true");
    if (excerptObserver) excerptObserver.disconnect();
    return search(query, function () { return seq === searchSeq; }).then(function (r) {
      if (r && seq === searchSeq) drawResults(r, seq);
    }, function () {
      if (seq === searchSeq) showIncomplete();
    });
  }

  function applySearch() {
    var q = el.search.value;
    var on = words(q).length > 0;
    el.results.hidden = !on;
    el.toc.hidden = on;
    if (on) renderResults(q);
    else {
      searchSeq++;
      el.resultsList.textContent = "";
      el.resultsCount.textContent = "";
      el.results.removeAttribute("aria-busy");
      markCurrent(currentId);
    }
  }

  el.search.addEventListener("input", applySearch);
  el.searchForm.addEventListener("submit", function (e) {
    e.preventDefault();
    var first = el.resultsList.querySelector(".sv-result");
    if (first) navigateTo(first.dataset.id);
  });
  el.search.addEventListener("keydown", function (e) {
    if (e.key === "Escape") {
      if (el.search.value) { el.search.value = ""; applySearch(); }
      else el.search.blur();
      e.preventDefault();
    } else if (e.key === "ArrowDown") {
      var first = el.resultsList.querySelector(".sv-result");
      if (first) { first.focus(); e.preventDefault(); }
    }
  });
  el.resultsList.addEventListener("click", function (e) {
    var a = e.target.closest(".sv-result");
    if (!a || e.ctrlKey || e.metaKey || e.shiftKey) return;
    e.preventDefault();
    navigateTo(a.dataset.id);
  });
  el.resultsList.addEventListener("keydown", function (e) {
    var a = e.target.closest(".sv-result");
    if (!a) return;
    var li = a.parentNode, to = null;
    if (e.key === "ArrowDown") to = li.nextElementSibling;
    else if (e.key === "ArrowUp") to = li.previousElementSibling;
    else if (e.key === "Escape") { el.search.focus(); e.preventDefault(); return; }
    else return;
    e.preventDefault();
    if (to) to.firstElementChild.focus();
    else if (e.key === "ArrowUp") el.search.focus();
  });

  // "/" anywhere outside a text field jumps to the search box.
  document.addEventListener("keydown", function (e) {
    if (e.key !== "/" || e.ctrlKey || e.metaKey || e.altKey) return;
    var t = e.target;
    if (t && (t.tagName === "INPUT" || t.tagName === "TEXTAREA" || t.isContentEditable)) return;
    e.preventDefault();
    openSide();
    el.search.focus();
    el.search.select();
  });

  // ---- narrow windows and the splitter ---------------------------------------------------

  var narrow = window.matchMedia ? window.matchMedia("(max-width: 720px)") : { matches: false };

  function openSide() {
    if (!narrow.matches) return;
    el.app.classList.add("sv-side-open");
    el.menu.setAttribute("aria-expanded", "true");
  }
  function closeSideOnNarrow() {
    el.app.classList.remove("sv-side-open");
    el.menu.setAttribute("aria-expanded", "false");
  }
  el.menu.addEventListener("click", function () {
    if (el.app.classList.contains("sv-side-open")) closeSideOnNarrow();
    else openSide();
  });
  el.scrim.addEventListener("click", closeSideOnNarrow);
  el.search.addEventListener("focus", openSide);

  el.splitter.addEventListener("pointerdown", function (e) {
    e.preventDefault();
    el.splitter.setPointerCapture(e.pointerId);
    el.splitter.classList.add("sv-dragging");
    el.frame.style.pointerEvents = "none";
    function move(ev) {
      var w = Math.max(160, Math.min(ev.clientX, window.innerWidth - 200));
      el.side.style.width = w + "px";
    }
    function up() {
      el.splitter.classList.remove("sv-dragging");
      el.frame.style.pointerEvents = "";
      el.splitter.removeEventListener("pointermove", move);
      el.splitter.removeEventListener("pointerup", up);
      el.splitter.removeEventListener("pointercancel", up);
    }
    el.splitter.addEventListener("pointermove", move);
    el.splitter.addEventListener("pointerup", up);
    el.splitter.addEventListener("pointercancel", up);
  });

  // ---- index -----------------------------------------------------------------------------

  // The "Index" tab: shown when start.js names an index script in "later" (index-entries.js,
  // which sets window.__SV_INDEX = {entries:[{text,topics:[ids],subs:[...]}]} in the order to
  // show), loaded when the tab is first opened. Typing filters by prefix, folded as the search
  // folds; a matching sub-entry is shown under its main entry. An entry with one topic opens it,
  // one with several offers their titles, a main entry that only groups goes to its first
  // sub-entry.
  var ix = {
    tabs: document.getElementById("sv-tabs"),
    tabToc: document.getElementById("sv-tab-toc"),
    tabIndex: document.getElementById("sv-tab-index"),
    panel: document.getElementById("sv-index"),
    filter: document.getElementById("sv-index-filter"),
    status: document.getElementById("sv-index-status"),
    list: document.getElementById("sv-index-list"),
    choice: document.getElementById("sv-index-choice"),
    choiceLabel: document.getElementById("sv-index-choice-label"),
    choiceList: document.getElementById("sv-index-choice-list"),
    file: "",
    rows: null,        // [{text, key, label, topics, sub, main}] once loaded
    loading: null
  };

  function indexTopics(ids) {
    return Array.isArray(ids) ? ids.filter(function (id) { return typeof id === "string" && topics[id]; }) : [];
  }

  // The entries as rows: each main entry, then its sub-entries.
  function indexRows(data) {
    var rows = [];
    (data && Array.isArray(data.entries) ? data.entries : []).forEach(function (e) {
      if (!e || typeof e.text !== "string") return;
      var main = { text: e.text, key: fold(e.text), label: e.text, topics: indexTopics(e.topics), sub: false, subs: [] };
      rows.push(main);
      (Array.isArray(e.subs) ? e.subs : []).forEach(function (s) {
        if (!s || typeof s.text !== "string") return;
        var row = { text: s.text, key: fold(s.text), label: e.text + ", " + s.text, topics: indexTopics(s.topics), sub: true, main: main };
        main.subs.push(row);
        rows.push(row);
      });
    });
    return rows;
  }

  function indexMatches(rows, query) {
    var q = fold(query.trim());
    if (!q) return rows;
    var comma = q.indexOf(", "), qm = comma < 0 ? q : q.slice(0, comma).trim(), qs = comma < 0 ? null : q.slice(comma + 2).trim();
    var out = [];
    rows.forEach(function (r) {
      if (r.sub) return;
      var subs;
      if (qs !== null) subs = startsWith(r.key, qm) ? r.subs.filter(function (s) { return startsWith(s.key, qs); }) : [];
      else if (startsWith(r.key, q)) subs = r.subs;
      else subs = r.subs.filter(function (s) { return startsWith(s.key, q); });
      if (subs.length || (qs === null && startsWith(r.key, q))) { out.push(r); out.push.apply(out, subs); }
    });
    return out;
  }

  function indexOption(text, cls) {
    var li = document.createElement("li");
    li.className = cls;
    li.setAttribute("role", "option");
    li.setAttribute("aria-selected", "false");
    li.tabIndex = -1;
    li.textContent = text;
    return li;
  }

  function selectOption(list, li, focus) {
    var old = list.querySelector('[aria-selected="true"]');
    if (old && old !== li) { old.setAttribute("aria-selected", "false"); old.tabIndex = -1; }
    if (!li) return;
    li.setAttribute("aria-selected", "true");
    li.tabIndex = 0;
    if (focus) li.focus();
    li.scrollIntoView({ block: "nearest" });
  }

  function drawIndex() {
    if (!ix.rows) return;
    hideIndexChoice(false);
    var shown = indexMatches(ix.rows, ix.filter.value);
    ix.list.textContent = "";
    var frag = document.createDocumentFragment();
    shown.forEach(function (r) {
      var li = indexOption(r.text, r.sub ? "sv-index-entry sv-index-sub" : "sv-index-entry");
      if (r.sub) li.setAttribute("aria-label", r.label);
      li.svRow = r;
      frag.appendChild(li);
    });
    ix.list.appendChild(frag);
    if (ix.list.firstElementChild) selectOption(ix.list, ix.list.firstElementChild, false);
    ix.status.textContent = shown.length ? "" : (ix.rows.length ? "No entry begins with that" : "The index is empty");
  }

  function openIndexRow(li) {
    var r = li && li.svRow;
    if (!r) return;
    if (r.topics.length === 1) { navigateTo(r.topics[0]); return; }
    if (r.topics.length > 1) { showIndexChoice(li); return; }
    // A main entry that only groups its sub-entries: go to the first of them.
    var next = li.nextElementSibling;
    if (next && next.svRow && next.svRow.main === r) selectOption(ix.list, next, true);
  }

  function showIndexChoice(li) {
    var r = li.svRow;
    ix.choiceLabel.textContent = "Topics for \u201C" + r.label + "\u201D";
    ix.choiceList.textContent = "";
    r.topics.forEach(function (id) {
      var opt = indexOption(topics[id].title || id, "sv-index-entry");
      opt.dataset.id = id;
      ix.choiceList.appendChild(opt);
    });
    ix.choice.svFrom = li;
    ix.list.hidden = true;
    ix.choice.hidden = false;
    selectOption(ix.choiceList, ix.choiceList.firstElementChild, true);
  }

  function hideIndexChoice(focusEntry) {
    if (ix.choice.hidden) return;
    var from = ix.choice.svFrom;
    ix.choice.hidden = true;
    ix.list.hidden = false;
    ix.choice.svFrom = null;
    if (focusEntry && from && from.parentNode === ix.list) selectOption(ix.list, from, true);
  }

  function loadIndex() {
    if (ix.loading) return ix.loading;
    ix.status.textContent = "Loading the index\u2026";
    return (ix.loading = loadScript(ix.file).then(function () {
      ix.rows = indexRows(window.__SV_INDEX);
      drawIndex();
    }, function () {
      ix.status.textContent = "The index cannot be loaded. Publish the help again.";
    }));
  }

  function showTab(index, focus) {
    ix.tabToc.setAttribute("aria-selected", index ? "false" : "true");
    ix.tabIndex.setAttribute("aria-selected", index ? "true" : "false");
    ix.tabToc.tabIndex = index ? -1 : 0;
    ix.tabIndex.tabIndex = index ? 0 : -1;
    el.side.classList.toggle("sv-index-on", index);
    ix.panel.hidden = !index;
    if (index) loadIndex();
    if (focus) (index ? ix.tabIndex : ix.tabToc).focus();
  }

  function moveInList(list, li, key) {
    var to = null;
    if (key === "ArrowDown") to = li ? li.nextElementSibling : list.firstElementChild;
    else if (key === "ArrowUp") to = li ? li.previousElementSibling : null;
    else if (key === "Home") to = list.firstElementChild;
    else if (key === "End") to = list.lastElementChild;
    if (to) selectOption(list, to, true);
    return to;
  }

  function setupIndex(file) {
    if (!file || !safeFile(file)) return;
    ix.file = file;
    ix.tabs.hidden = false;
    ix.tabToc.addEventListener("click", function () { showTab(false, false); });
    ix.tabIndex.addEventListener("click", function () { showTab(true, false); });
    ix.tabs.addEventListener("keydown", function (e) {
      if (e.key !== "ArrowLeft" && e.key !== "ArrowRight" && e.key !== "Home" && e.key !== "End") return;
      e.preventDefault();
      var toIndex = e.key === "End" || ((e.key === "ArrowLeft" || e.key === "ArrowRight") && e.target === ix.tabToc);
      showTab(toIndex, true);
    });
    ix.filter.addEventListener("input", drawIndex);
    ix.filter.addEventListener("keydown", function (e) {
      if (e.key === "ArrowDown") {
        e.preventDefault();
        var li = ix.list.hidden ? null : ix.list.querySelector('[aria-selected="true"]') || ix.list.firstElementChild;
        if (li) selectOption(ix.list, li, true);
      } else if (e.key === "Enter") {
        e.preventDefault();
        openIndexRow(ix.list.querySelector('[aria-selected="true"]'));
      } else if (e.key === "Escape") {
        e.preventDefault();
        if (ix.filter.value) { ix.filter.value = ""; drawIndex(); }
        else ix.tabIndex.focus();
      }
    });
    // Focus that arrives otherwise (Tab, a screen reader) selects the option too.
    [ix.list, ix.choiceList].forEach(function (list) {
      list.addEventListener("focusin", function (e) {
        var li = e.target.closest("li");
        if (li && li.getAttribute("aria-selected") !== "true") selectOption(list, li, false);
      });
    });
    ix.list.addEventListener("click", function (e) {
      var li = e.target.closest("li");
      if (!li) return;
      selectOption(ix.list, li, true);
      openIndexRow(li);
    });
    ix.list.addEventListener("keydown", function (e) {
      var li = e.target.closest("li");
      if (e.key === "Enter" || e.key === " ") { e.preventDefault(); openIndexRow(li); return; }
      if (e.key === "Escape") { e.preventDefault(); ix.filter.focus(); return; }
      if (e.key === "ArrowDown" || e.key === "ArrowUp" || e.key === "Home" || e.key === "End") {
        e.preventDefault();
        if (!moveInList(ix.list, li, e.key) && e.key === "ArrowUp") ix.filter.focus();
      }
    });
    ix.choiceList.addEventListener("click", function (e) {
      var li = e.target.closest("li");
      if (li && li.dataset.id) navigateTo(li.dataset.id);
    });
    ix.choiceList.addEventListener("keydown", function (e) {
      var li = e.target.closest("li");
      if (e.key === "Enter" || e.key === " ") { e.preventDefault(); if (li && li.dataset.id) navigateTo(li.dataset.id); return; }
      if (e.key === "Escape") { e.preventDefault(); hideIndexChoice(true); return; }
      if (e.key === "ArrowDown" || e.key === "ArrowUp" || e.key === "Home" || e.key === "End") {
        e.preventDefault();
        moveInList(ix.choiceList, li, e.key);
      }
    });
    // Searching shows its results where the contents are.
    el.search.addEventListener("input", function () { if (!ix.panel.hidden && el.search.value.trim()) showTab(false, false); });
  }

  // ---- start -----------------------------------------------------------------------------

  // Every topic numbered: the contents, then the search-only topics of the start file.
  var numbered = readToc(tocData).then(function () {
    if (start && Array.isArray(start.searchOnly))
      start.searchOnly.forEach(function (s) { if (s) addTopic(s.id, s.title, s.file); });
    if (!tocOrder.length && start) {
      el.frame.hidden = true;
      el.empty.hidden = false;
    }
  });

  // Scripts the start file asks for before the first address is routed; a site without a start
  // file routes once its search.js has named the topics outside the contents.
  var ready;
  if (!start) ready = searchSource().then(function () {}, function () {});
  else {
    var names = Array.isArray(start.load) ? start.load.filter(function (n) { return typeof n === "string" && safeFile(n); }) : [];
    ready = names.length ? Promise.all(names.map(function (n) { return loadScript(n).catch(function () {}); })) : null;
    ready = ready ? Promise.all([ready, numbered]) : numbered;
  }
  var later = (start && start.later && typeof start.later === "object") ? start.later : {};
  setupIndex(typeof later.index === "string" ? later.index : "");
  function afterStart() {
    started = true;
    if (!start && !tocOrder.length) {
      el.frame.hidden = true;
      el.empty.hidden = false;
    }
    route();
  }
  ready.then(afterStart);

  // For tests and embedding: the viewer's state, read-only; search resolves with the ids in
  // rank order.
  window.__SV_VIEWER = {
    currentId: function () { return currentId; },
    search: function (q) {
      return search(q).then(function (r) { return r.results.map(function (no) { return tocOrder[no].id; }); });
    },
    later: function (name) { return typeof later[name] === "string" ? later[name] : ""; }
  };
})();
