// DOM helpers of the editor page: blocks, selections saved as paths, fragments, inline styles.
// Nothing here talks to the host.
'use strict';

var SvDom = (function () {
  var BLOCK_TAGS = /^(P|H[1-6]|DIV|LI|UL|OL|TD|TH|TR|TBODY|THEAD|TFOOT|TABLE|BLOCKQUOTE|PRE|HR|DL|DT|DD|SECTION|ARTICLE|HEADER|FOOTER|NAV|ASIDE|FIGURE|FIGCAPTION|ADDRESS|MAIN|STYLE)$/;
  var LEAF_BLOCKS = 'p,h1,h2,h3,h4,h5,h6,div,li,td,th,blockquote,pre,dt,dd,figcaption,address';
  var SPLITTABLE = /^(P|H[1-6]|PRE|BLOCKQUOTE|ADDRESS|DT|DD)$/;

  function isBlock(node) {
    return !!node && node.nodeType === 1 && BLOCK_TAGS.test(node.tagName);
  }

  function elementOf(node) {
    return node && node.nodeType === 1 ? node : node ? node.parentElement : null;
  }

  // The nearest block element around node, inside root (root itself when there is none).
  function closestBlock(node, root) {
    for (var n = elementOf(node); n && n !== root; n = n.parentElement)
      if (isBlock(n)) return n;
    return root;
  }

  function closest(node, selector, root) {
    for (var n = elementOf(node); n && n !== root; n = n.parentElement)
      if (n.matches(selector)) return n;
    return null;
  }

  // ---- selections as child-index paths, so they survive replacing innerHTML ------------------
  function pathOf(node, root) {
    var path = [];
    while (node && node !== root) {
      var parent = node.parentNode;
      if (!parent) return null;
      path.unshift(Array.prototype.indexOf.call(parent.childNodes, node));
      node = parent;
    }
    return node === root ? path : null;
  }

  function nodeAt(path, root) {
    var node = root;
    for (var i = 0; i < path.length; i++) {
      if (!node.childNodes.length) break;
      node = node.childNodes[Math.min(path[i], node.childNodes.length - 1)];
    }
    return node;
  }

  function maxOffset(node) {
    return node.nodeType === 3 ? node.length : node.childNodes.length;
  }

  function saveRange(range, root) {
    if (!range || !root.contains(range.startContainer) || !root.contains(range.endContainer)) return null;
    var s = pathOf(range.startContainer, root), e = pathOf(range.endContainer, root);
    if (!s || !e) return null;
    return { s: s, so: range.startOffset, e: e, eo: range.endOffset };
  }

  function loadRange(saved, root) {
    var range = document.createRange();
    if (!saved) {
      range.setStart(root, 0);
      range.collapse(true);
      return range;
    }
    var s = nodeAt(saved.s, root), e = nodeAt(saved.e, root);
    range.setStart(s, Math.min(saved.so, maxOffset(s)));
    range.setEnd(e, Math.min(saved.eo, maxOffset(e)));
    return range;
  }

  function selectRange(range) {
    var sel = window.getSelection();
    sel.removeAllRanges();
    sel.addRange(range);
  }

  function caretAt(node, offset) {
    var range = document.createRange();
    range.setStart(node, offset);
    range.collapse(true);
    selectRange(range);
  }

  // Caret at the start (or end) of el's content.
  function caretInto(el, atEnd) {
    var range = document.createRange();
    range.selectNodeContents(el);
    range.collapse(!atEnd);
    selectRange(range);
  }

  // ---- fragments -----------------------------------------------------------------------------
  // Parsed in a template: nothing runs and nothing loads while it is parsed.
  function parseFragment(html) {
    var tpl = document.createElement('template');
    tpl.innerHTML = html;
    return tpl.content;
  }

  function isEmptyBlock(el) {
    return !el.textContent.replace(/[\u200B\s]/g, '').length && !el.querySelector('img,table,hr,video,iframe,object,embed');
  }

  // Inserts a fragment at the range. Block content inside a paragraph or heading splits it, so
  // the stored HTML never holds a table inside a <p>. Returns the node to put the caret after.
  function insertFragment(range, frag, root) {
    range.deleteContents();
    var nodes = Array.prototype.slice.call(frag.childNodes);
    if (!nodes.length) return null;
    var hasBlock = nodes.some(isBlock);
    var block = closestBlock(range.startContainer, root);
    if (hasBlock && block !== root && SPLITTABLE.test(block.tagName)) {
      var tailRange = document.createRange();
      tailRange.setStart(range.startContainer, range.startOffset);
      tailRange.setEnd(block, block.childNodes.length);
      var tail = block.cloneNode(false);
      tail.appendChild(tailRange.extractContents());
      var anchor = block;
      nodes.forEach(function (n) { anchor.after(n); anchor = n; });
      if (!isEmptyBlock(tail) || !anchor.nextSibling) {
        if (isEmptyBlock(tail)) tail.innerHTML = '<br>';
        anchor.after(tail);
      }
      if (isEmptyBlock(block)) block.remove();
      return { after: anchor, next: anchor.nextSibling };
    }
    range.insertNode(frag);
    var last = nodes[nodes.length - 1];
    return { after: last, next: last.nextSibling };
  }

  function caretAfterInsert(pos, root) {
    if (!pos || !pos.after || !pos.after.parentNode) return;
    if (isBlock(pos.after) && pos.next && isBlock(pos.next)) caretInto(pos.next, false);
    else if (isBlock(pos.after)) caretInto(pos.after, true);
    else {
      var range = document.createRange();
      range.setStartAfter(pos.after);
      range.collapse(true);
      selectRange(range);
    }
  }

  // ---- blocks of a selection -----------------------------------------------------------------
  // Whether el begins at or after the end of a non-empty range (a selection that ends just
  // where a block starts does not touch that block).
  function startsAfter(el, range) {
    if (range.collapsed) return false;
    var r = document.createRange();
    r.selectNodeContents(el);
    return range.compareBoundaryPoints(Range.START_TO_END, r) <= 0;
  }

  // The innermost block elements that the range touches.
  function leafBlocksInRange(range, root) {
    var all = Array.prototype.filter.call(root.querySelectorAll(LEAF_BLOCKS), function (el) {
      return range.intersectsNode(el) && !startsAfter(el, range);
    });
    var leaves = all.filter(function (el) {
      return !all.some(function (o) { return o !== el && el.contains(o); });
    });
    if (!leaves.length) {
      var b = closestBlock(range.startContainer, root);
      if (b !== root) leaves = [b];
    }
    return leaves;
  }

  // ---- inline styles -------------------------------------------------------------------------
  function clearStyleProp(el, prop) {
    if (!el.style || !el.style[prop]) return;
    el.style[prop] = '';
    if (!el.getAttribute('style')) el.removeAttribute('style');
  }

  function unwrap(el) {
    while (el.firstChild) el.parentNode.insertBefore(el.firstChild, el);
    el.remove();
  }

  // Gives the selected text the CSS property prop = value (value '' removes it). The browser marks
  // the selection with a <font> of a unique face, which handles every block boundary; each mark
  // then becomes a <span> with the property, and inner copies of the property are dropped.
  function applyInlineStyle(root, prop, value) {
    var mark = 'sv-mark-' + Date.now() + '-' + Math.floor(Math.random() * 1e6);
    document.execCommand('styleWithCSS', false, false);
    document.execCommand('fontName', false, mark);
    var spans = [];
    Array.prototype.forEach.call(root.querySelectorAll('[style*="' + mark + '"]'), function (el) {
      el.style.fontFamily = '';
      if (!el.getAttribute('style')) el.removeAttribute('style');
      var span = document.createElement('span');
      while (el.firstChild) span.appendChild(el.firstChild);
      el.appendChild(span);
      spans.push(span);
    });
    Array.prototype.forEach.call(root.querySelectorAll('font[face="' + mark + '"]'), function (font) {
      var span = document.createElement('span');
      while (font.firstChild) span.appendChild(font.firstChild);
      font.replaceWith(span);
      spans.push(span);
    });
    var kept = [];
    spans.forEach(function (span) {
      Array.prototype.forEach.call(span.querySelectorAll('[style]'), function (el) {
        clearStyleProp(el, prop);
        if (el.tagName === 'SPAN' && !el.attributes.length) unwrap(el);
      });
      if (prop === 'fontFamily' || prop === 'color')
        Array.prototype.forEach.call(span.querySelectorAll('font'), function (f) {
          f.removeAttribute(prop === 'fontFamily' ? 'face' : 'color');
          if (!f.attributes.length) unwrap(f);
        });
      if (value) {
        span.style[prop] = value;
        kept.push(span);
      } else if (span.parentElement && span.parentElement.tagName === 'SPAN' && span.parentElement.childNodes.length === 1) {
        clearStyleProp(span.parentElement, prop);
        unwrap(span);
      } else {
        unwrap(span);
      }
    });
    if (kept.length) {
      var range = document.createRange();
      range.setStartBefore(kept[0]);
      range.setEndAfter(kept[kept.length - 1]);
      selectRange(range);
    }
  }

  // ---- values for the host -------------------------------------------------------------------
  function hex2(n) {
    var s = Math.max(0, Math.min(255, Math.round(n))).toString(16).toUpperCase();
    return s.length < 2 ? '0' + s : s;
  }

  // "#RRGGBB" of a computed colour; '' for a transparent one.
  function cssColorToHex(css) {
    var m = /rgba?\(\s*([\d.]+)[,\s]+([\d.]+)[,\s]+([\d.]+)(?:[,\s/]+([\d.]+%?))?\s*\)/.exec(css || '');
    if (!m) return '';
    if (m[4] !== undefined && parseFloat(m[4]) === 0) return '';
    return '#' + hex2(+m[1]) + hex2(+m[2]) + hex2(+m[3]);
  }

  function firstFontFamily(css) {
    var first = (css || '').split(',')[0] || '';
    return first.trim().replace(/^["']|["']$/g, '');
  }

  // A file path (or a URL) as a file URL the page can load.
  function fileUrl(path) {
    if (/^[a-z][a-z0-9+.-]+:\/\//i.test(path)) return path;
    var parts = String(path).replace(/\\/g, '/').split('/').map(function (seg, i) {
      return i === 0 && /^[A-Za-z]:$/.test(seg) ? seg : encodeURIComponent(seg);
    });
    var s = parts.join('/');
    return 'file://' + (s.charAt(0) === '/' ? '' : '/') + s;
  }

  return {
    isBlock: isBlock, elementOf: elementOf, closestBlock: closestBlock, closest: closest,
    saveRange: saveRange, loadRange: loadRange, selectRange: selectRange, caretAt: caretAt,
    caretInto: caretInto, parseFragment: parseFragment, isEmptyBlock: isEmptyBlock,
    insertFragment: insertFragment, caretAfterInsert: caretAfterInsert,
    leafBlocksInRange: leafBlocksInRange, applyInlineStyle: applyInlineStyle, unwrap: unwrap,
    clearStyleProp: clearStyleProp, cssColorToHex: cssColorToHex, firstFontFamily: firstFontFamily,
    fileUrl: fileUrl
  };
})();
