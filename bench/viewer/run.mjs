// Opens published WebHelp from file:// in headless Chromium over the DevTools pipe and measures
// what a reader waits for: the contents, the first results of each query, each further
// keystroke, the longest main-thread task, the JS heap and the bytes of the scripts a query made
// the viewer load. No npm packages; see README.md.
//
//   node bench/viewer/run.mjs --site OUT/build/webhelp --queries SITE/queries.json [--runs 3]
//        [--chromium /usr/bin/chromium] [--json results.json] [--only "two words"]
import { spawn } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { pathToFileURL, fileURLToPath } from "node:url";

function parseArgs(argv) {
  const out = { runs: 3, chromium: "/usr/bin/chromium-headless-shell" };
  for (let i = 0; i < argv.length; i++) {
    const a = argv[i];
    if (!a.startsWith("--")) throw new Error("unexpected argument " + a);
    out[a.slice(2)] = argv[++i];
  }
  if (!out.site || !out.queries) {
    console.error("usage: node run.mjs --site WEBHELP_DIR --queries queries.json [--runs N] [--json OUT]");
    process.exit(2);
  }
  out.runs = Number(out.runs);
  return out;
}

// ---- the DevTools protocol over --remote-debugging-pipe (fd 3 in, fd 4 out, NUL-separated) --

class Browser {
  constructor(executable) {
    this.profile = fs.mkdtempSync(path.join(os.tmpdir(), "sv-bench-"));
    this.proc = spawn(executable, [
      "--remote-debugging-pipe", "--no-sandbox", "--disable-gpu", "--no-first-run",
      "--no-default-browser-check", "--disable-extensions", "--disable-background-networking",
      "--disable-component-update", "--disable-sync", "--mute-audio", "--window-size=1280,900",
      "--user-data-dir=" + this.profile, "about:blank"
    ], { stdio: ["ignore", "ignore", "ignore", "pipe", "pipe"] });
    this.out = this.proc.stdio[3];
    this.proc.on("exit", (code, signal) => {
      for (const { reject, method } of this.pending.values()) reject(new Error(method + ": the browser ended (" + (signal || code) + ")"));
      this.pending.clear();
    });
    this.nextId = 1;
    this.pending = new Map();
    this.listeners = [];
    let buffer = "";
    this.proc.stdio[4].on("data", (chunk) => {
      buffer += chunk.toString("utf8");
      let at;
      while ((at = buffer.indexOf("\0")) >= 0) {
        const msg = JSON.parse(buffer.slice(0, at));
        buffer = buffer.slice(at + 1);
        if (msg.id && this.pending.has(msg.id)) {
          const { resolve, reject, method } = this.pending.get(msg.id);
          this.pending.delete(msg.id);
          if (msg.error) reject(new Error(method + ": " + msg.error.message));
          else resolve(msg.result);
        } else if (msg.method) {
          for (const l of this.listeners.slice()) l(msg);
        }
      }
    });
  }
  send(method, params = {}, sessionId) {
    const id = this.nextId++;
    const msg = { id, method, params };
    if (sessionId) msg.sessionId = sessionId;
    return new Promise((resolve, reject) => {
      this.pending.set(id, { resolve, reject, method });
      this.out.write(JSON.stringify(msg) + "\0");
    });
  }
  on(fn) { this.listeners.push(fn); return () => { this.listeners = this.listeners.filter((l) => l !== fn); }; }
  async close() {
    if (this.proc.exitCode === null && this.proc.signalCode === null) {
      try { await this.send("Browser.close"); } catch (e) { /* already gone */ }
    }
    await new Promise((r) => { if (this.proc.exitCode !== null || this.proc.signalCode !== null) r(); else this.proc.on("exit", r); });
    fs.rmSync(this.profile, { recursive: true, force: true });
  }
}

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// Runs in the page before its own scripts: notes when the contents and each query's results are
// drawn (plus one animation frame and the paint after it), every input event's time stamp and
// every script element added to the head.
const INSTRUMENT = `(() => {
  const b = window.__bench = { contents: 0, inputs: [], drawn: [], scripts: [] };
  const afterFrame = (fn) => requestAnimationFrame(() => { const ch = new MessageChannel(); ch.port1.onmessage = fn; ch.port2.postMessage(0); });
  document.addEventListener("input", (e) => { b.inputs.push({ t: e.timeStamp, value: e.target.value }); }, true);
  new MutationObserver((changes) => {
    for (const c of changes) for (const n of c.addedNodes)
      if (n.tagName === "SCRIPT" && n.src) b.scripts.push({ t: performance.now(), src: n.src });
    const toc = document.getElementById("sv-toc");
    if (toc && !b.contents && !b.tocSeen && toc.firstElementChild) {
      b.tocSeen = true;
      afterFrame(() => { b.contents = performance.now(); });
    }
    const count = document.getElementById("sv-results-count");
    if (count && !b.countWatched) {
      b.countWatched = true;
      new MutationObserver(() => {
        const text = count.textContent;
        if (!text) return;
        const value = document.getElementById("sv-search").value;
        afterFrame(() => { b.drawn.push({ t: performance.now(), text, value }); });
      }).observe(count, { childList: true, characterData: true, subtree: true });
    }
  }).observe(document, { childList: true, subtree: true });
})();`;

class Page {
  constructor(browser) { this.browser = browser; }
  // The browser's first tab: a new window or browser context would make the browser build
  // window furniture of its own while the page opens.
  async open(url) {
    const b = this.browser;
    for (let tries = 0; !this.target; tries++) {
      const page = (await b.send("Target.getTargets")).targetInfos.find((t) => t.type === "page");
      if (page) this.target = page.targetId;
      else if (tries > 200) throw new Error("the browser shows no page");
      else await sleep(25);
    }
    this.session = (await b.send("Target.attachToTarget", { targetId: this.target, flatten: true })).sessionId;
    await this.send("Page.enable");
    await this.send("Runtime.enable");
    await this.send("Page.addScriptToEvaluateOnNewDocument", { source: INSTRUMENT });
    const loaded = new Promise((resolve) => {
      const off = b.on((m) => { if (m.sessionId === this.session && m.method === "Page.loadEventFired") { off(); resolve(); } });
    });
    await this.send("Page.navigate", { url });
    await loaded;
  }
  send(method, params) { return this.browser.send(method, params, this.session); }
  async eval(expr) {
    const r = await this.send("Runtime.evaluate", { expression: expr, returnByValue: true, awaitPromise: true });
    if (r.exceptionDetails) throw new Error("page: " + (r.exceptionDetails.exception?.description || r.exceptionDetails.text));
    return r.result.value;
  }
  async waitFor(expr, timeoutMs = 30000) {
    const until = Date.now() + timeoutMs;
    for (;;) {
      const v = await this.eval(expr);
      if (v) return v;
      if (Date.now() > until) throw new Error("timed out waiting for " + expr);
      await sleep(5);
    }
  }
  async heap() {
    await this.send("HeapProfiler.enable");
    await this.send("HeapProfiler.collectGarbage");
    return (await this.send("Runtime.getHeapUsage")).usedSize;
  }
}

// ---- the timeline trace: the longest task on the page's main thread ---------------------------

async function startTrace(browser) {
  const events = [];
  const off = browser.on((m) => { if (m.method === "Tracing.dataCollected") events.push(...m.params.value); });
  await browser.send("Tracing.start", {
    traceConfig: { includedCategories: ["devtools.timeline", "disabled-by-default-devtools.timeline", "toplevel", "v8.execute"] },
    transferMode: "ReportEvents"
  });
  return async () => {
    const done = new Promise((resolve) => {
      const off2 = browser.on((m) => { if (m.method === "Tracing.tracingComplete") { off2(); resolve(); } });
    });
    await browser.send("Tracing.end");
    await done;
    off();
    return events;
  };
}

// The page marks the start of the query with console.timeStamp(QUERY_MARK): that event names
// the page's main thread and splits the trace into opening and querying.
const QUERY_MARK = "sv-bench-query", OPEN_END_MARK = "sv-bench-open-end", QUERY_END_MARK = "sv-bench-query-end";

function traceMark(events, name) {
  return events.find((e) => e.name === "TimeStamp" && e.args?.data?.message === name);
}
const queryMark = (events) => traceMark(events, QUERY_MARK);

// The longest RunTask of the page's main thread from AFromUs to AToUs (trace clock, µs), with the
// longest step inside it (and its script).
function longestTask(events, fromUs, toUs) {
  const mark = queryMark(events);
  if (!mark) return { ms: NaN, what: "no trace" };
  let best = null;
  for (const e of events) {
    if (e.ph !== "X" || e.name !== "RunTask" || e.pid !== mark.pid || e.tid !== mark.tid) continue;
    if (e.ts + e.dur < fromUs || e.ts >= toUs) continue;
    if (!best || e.dur > best.dur) best = e;
  }
  if (!best) return { ms: 0, what: "" };
  let what = "", whatDur = 0;
  for (const e of events) {
    if (e.pid !== best.pid || e.tid !== best.tid || e.ph !== "X" || e.ts < best.ts || e.ts > best.ts + best.dur) continue;
    if ((e.name === "EvaluateScript" || e.name === "v8.compile" || e.name === "FunctionCall" || e.name === "ParseHTML" || e.name === "Layout" || e.name === "UpdateLayoutTree" || e.name === "Paint")
        && e.dur > whatDur) {
      const url = e.args?.data?.url || e.args?.data?.fileName || e.args?.beginData?.url || "";
      what = e.name + (url ? " " + path.basename(url) : "");
      whatDur = e.dur;
    }
  }
  return { ms: best.dur / 1000, what };
}

// ---- the measurements ---------------------------------------------------------------------------

function bytesOf(src) {
  try { return fs.statSync(fileURLToPath(src)).size; } catch (e) { return 0; }
}

// A fresh browser (a cold open), then AQuery typed in one input event (AOneEvent) or key by key.
async function measureQuery(executable, url, query, oneEvent) {
  for (let attempt = 1; ; attempt++) {
    const browser = new Browser(executable);
    const limit = setTimeout(() => browser.proc.kill("SIGKILL"), 120000);
    try {
      return await measureIn(browser, url, query, oneEvent);
    } catch (e) {
      if (attempt >= 3) throw e;
      console.error(`retrying after: ${e.message}`);
    } finally {
      clearTimeout(limit);
      await browser.close();
    }
  }
}

async function measureIn(browser, url, query, oneEvent) {
  const page = new Page(browser);
  const stopTrace = await startTrace(browser);
  await page.open(url);
  const contents = await page.waitFor("window.__bench.contents");
  await page.eval("document.getElementById('sv-search').focus()");
  await sleep(150);
  // Forced collections are not the page's tasks: marks fence them off.
  await page.eval("console.timeStamp(" + JSON.stringify(OPEN_END_MARK) + ")");
  const openHeap = await page.heap();
  const marker = await page.eval("console.timeStamp(" + JSON.stringify(QUERY_MARK) + "), performance.now()");
  const parts = oneEvent ? [query] : Array.from(query);
  const keys = [];
  let typed = "";
  const scriptsBefore = await page.eval("window.__bench.scripts.length");
  for (const part of parts) {
    typed += part;
    const drawnBefore = await page.eval("window.__bench.drawn.length");
    await page.send("Input.insertText", { text: part });
    // A query of letters and digits draws a count line; one of punctuation only draws nothing.
    const hasWord = /[\p{L}\p{N}]/u.test(typed);
    if (hasWord) {
      const r = await page.waitFor(`(() => { const b = window.__bench; const d = b.drawn.slice(${drawnBefore}).find((x) => x.value === ${JSON.stringify(typed)});
        const i = b.inputs.filter((x) => x.value === ${JSON.stringify(typed)}).pop(); return d && i ? { ms: d.t - i.t, text: d.text, at: d.t } : null; })()`);
      keys.push(r);
    }
    if (!oneEvent) await sleep(30);
  }
  const last = keys[keys.length - 1];
  const firstDrawnAt = keys.length ? keys[0].at : marker;
  await sleep(400);  // excerpts of the rows in view
  const scripts = await page.eval(`window.__bench.scripts.slice(${scriptsBefore})`);
  const forFirst = scripts.filter((s) => s.t <= firstDrawnAt);
  await page.eval("console.timeStamp(" + JSON.stringify(QUERY_END_MARK) + ")");
  const heap = await page.heap();
  const events = await stopTrace();
  if (process.env.SV_BENCH_TRACE) fs.writeFileSync(process.env.SV_BENCH_TRACE, JSON.stringify(events));
  const mark = queryMark(events), openEnd = traceMark(events, OPEN_END_MARK), queryEnd = traceMark(events, QUERY_END_MARK);
  const queryFrom = mark ? mark.ts : 0;
  return {
    contents, openHeap, heap,
    first: keys.length ? keys[0].ms : 0,
    later: keys.slice(1).map((k) => k.ms),
    countLine: last ? last.text : "",
    bytesFirst: forFirst.reduce((n, s) => n + bytesOf(s.src), 0),
    bytesAll: scripts.reduce((n, s) => n + bytesOf(s.src), 0),
    scriptsFirst: forFirst.length,
    taskOpen: longestTask(events, 0, openEnd ? openEnd.ts : queryFrom),
    taskQuery: longestTask(events, queryFrom, queryEnd ? queryEnd.ts : Infinity)
  };
}

const median = (xs) => { const s = xs.slice().sort((a, b) => a - b); return s.length ? (s.length % 2 ? s[(s.length - 1) / 2] : (s[s.length / 2 - 1] + s[s.length / 2]) / 2) : 0; };
const max = (xs) => xs.reduce((m, x) => Math.max(m, x), 0);
const mib = (n) => (n / 1048576).toFixed(1);
const kb = (n) => (n / 1000).toFixed(0);

async function main() {
  const args = parseArgs(process.argv.slice(2));
  const url = pathToFileURL(path.resolve(args.site, "index.html")).href;
  const queries = JSON.parse(fs.readFileSync(args.queries, "utf8"));
  const probe = new Browser(args.chromium);
  const version = await probe.send("Browser.getVersion");
  await probe.close();
  console.log(`${version.product}, ${args.runs} runs, ${url}`);
  const results = [];
  {
    for (const q of queries) {
      if (args.only && q.name !== args.only) continue;
      const paste = [], typed = [];
      for (let r = 0; r < args.runs; r++) {
        paste.push(await measureQuery(args.chromium, url, q.text, true));
        if (q.text.length <= 40) typed.push(await measureQuery(args.chromium, url, q.text, false));
      }
      const row = {
        name: q.name, query: q.text.length > 40 ? q.text.slice(0, 37) + "..." : q.text,
        contents: median(paste.map((x) => x.contents)),
        first: median(paste.map((x) => x.first)),
        firstKey: typed.length ? median(typed.map((x) => x.first)) : null,
        laterMedian: typed.length ? median(typed.flatMap((x) => x.later)) : null,
        laterMax: typed.length ? median(typed.map((x) => max(x.later))) : null,
        countLine: paste[0].countLine,
        bytesFirst: median(paste.map((x) => x.bytesFirst)),
        bytesAll: median(paste.map((x) => x.bytesAll)),
        scriptsFirst: median(paste.map((x) => x.scriptsFirst)),
        openHeap: median(paste.map((x) => x.openHeap)),
        heap: median(paste.map((x) => x.heap)),
        taskOpen: paste.map((x) => x.taskOpen).sort((a, b) => a.ms - b.ms)[paste.length >> 1],
        taskQuery: paste.concat(typed).map((x) => x.taskQuery).sort((a, b) => b.ms - a.ms)[0]
      };
      results.push(row);
      console.log(`${row.name.padEnd(22)} first ${row.first.toFixed(1)} ms` +
        (row.firstKey !== null ? `, first key ${row.firstKey.toFixed(1)} ms, later keys median ${row.laterMedian.toFixed(1)} max ${row.laterMax.toFixed(1)} ms` : "") +
        `; "${row.countLine}"; loaded ${kb(row.bytesFirst)} KB in ${row.scriptsFirst} scripts (${kb(row.bytesAll)} KB with excerpts);` +
        ` heap ${mib(row.heap)} MiB; longest task open ${row.taskOpen.ms.toFixed(1)} ms (${row.taskOpen.what}), query ${row.taskQuery.ms.toFixed(1)} ms (${row.taskQuery.what})`);
    }
  }
  const summary = {
    contents: median(results.map((r) => r.contents)),
    firstMax: max(results.map((r) => r.first)),
    firstKeyMax: max(results.filter((r) => r.firstKey !== null).map((r) => r.firstKey)),
    laterMax: max(results.filter((r) => r.laterMax !== null).map((r) => r.laterMax)),
    taskOpen: results.map((r) => r.taskOpen).sort((a, b) => b.ms - a.ms)[0],
    taskQuery: results.map((r) => r.taskQuery).sort((a, b) => b.ms - a.ms)[0],
    openHeap: median(results.map((r) => r.openHeap)),
    heapMax: max(results.map((r) => r.heap)),
    bytesFirstMax: max(results.map((r) => r.bytesFirst))
  };
  console.log(`contents shown ${summary.contents.toFixed(0)} ms; first results max ${summary.firstMax.toFixed(1)} ms ` +
    `(typed: first key max ${summary.firstKeyMax.toFixed(1)} ms); later keystroke max ${summary.laterMax.toFixed(1)} ms; ` +
    `longest task opening ${summary.taskOpen.ms.toFixed(1)} ms (${summary.taskOpen.what}), querying ${summary.taskQuery.ms.toFixed(1)} ms (${summary.taskQuery.what}); ` +
    `heap after opening ${mib(summary.openHeap)} MiB, after a query max ${mib(summary.heapMax)} MiB; loaded for a first query max ${kb(summary.bytesFirstMax)} KB`);
  if (args.json) fs.writeFileSync(args.json, JSON.stringify({ summary, results }, null, 1));
}

main().catch((e) => { console.error(e); process.exit(1); });
