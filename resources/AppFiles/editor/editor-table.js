// Table editing of the editor page: building a table and inserting or removing rows and columns
// on a grid that knows about merged cells (rowspan and colspan), so a row or column operation
// never leaves a ragged table. Each operation returns the cell to put the caret in (or null).
'use strict';

var SvTable = (function () {
  function span(n) {
    n = parseInt(n, 10);
    return n > 0 ? n : 1;
  }

  // grid[r][c] is the cell covering row r and column c; origin.get(cell) = {r, c}.
  function layout(table) {
    var rows = Array.prototype.slice.call(table.rows);
    var grid = rows.map(function () { return []; });
    var origin = new Map();
    var width = 0;
    rows.forEach(function (tr, r) {
      var c = 0;
      Array.prototype.forEach.call(tr.cells, function (cell) {
        while (grid[r][c]) c++;
        origin.set(cell, { r: r, c: c });
        var rs = span(cell.rowSpan), cs = span(cell.colSpan);
        for (var i = 0; i < rs && r + i < rows.length; i++)
          for (var j = 0; j < cs; j++) grid[r + i][c + j] = cell;
        c += cs;
        width = Math.max(width, c);
      });
    });
    grid.forEach(function (row) { width = Math.max(width, row.length); });
    return { rows: rows, grid: grid, origin: origin, width: width };
  }

  function newCell(like) {
    var cell = document.createElement(like && like.tagName === 'TH' ? 'th' : 'td');
    cell.innerHTML = '<br>';
    return cell;
  }

  function build(rows, cols) {
    var table = document.createElement('table');
    table.setAttribute('style', 'border-collapse: collapse; width: 100%;');
    var body = document.createElement('tbody');
    for (var r = 0; r < rows; r++) {
      var tr = document.createElement('tr');
      for (var c = 0; c < cols; c++) tr.appendChild(newCell(null));
      body.appendChild(tr);
    }
    table.appendChild(body);
    return table;
  }

  // Puts newCell into row r of the layout so that it starts at column c.
  function placeInRow(L, tr, r, c, cell) {
    var before = null;
    Array.prototype.some.call(tr.cells, function (other) {
      var o = L.origin.get(other);
      if (o && o.c > c) { before = other; return true; }
      return false;
    });
    tr.insertBefore(cell, before);
  }

  function insertRowAfter(cell) {
    var table = cell.closest('table');
    var L = layout(table);
    var o = L.origin.get(cell);
    var t = o.r + span(cell.rowSpan) - 1;
    t = Math.min(t, L.rows.length - 1);
    var tr = document.createElement('tr');
    var first = null;
    for (var c = 0; c < L.width;) {
      var above = L.grid[t][c];
      if (!above) { var fill = newCell(null); tr.appendChild(fill); c++; continue; }
      var ao = L.origin.get(above);
      var cs = span(above.colSpan);
      if (ao.r + span(above.rowSpan) - 1 > t) {
        above.rowSpan = span(above.rowSpan) + 1;
      } else {
        var added = newCell(above);
        if (cs > 1) added.colSpan = cs;
        tr.appendChild(added);
        if (ao.c <= o.c && o.c < ao.c + cs) first = added;
      }
      c = ao.c + cs;
    }
    L.rows[t].after(tr);
    return first || tr.cells[0] || null;
  }

  function removeRow(cell) {
    var table = cell.closest('table');
    var L = layout(table);
    var r = L.origin.get(cell).r;
    var tr = L.rows[r];
    var col = L.origin.get(cell).c;
    var seen = new Set();
    for (var c = 0; c < L.width; c++) {
      var x = L.grid[r][c];
      if (!x || seen.has(x)) continue;
      seen.add(x);
      var xo = L.origin.get(x);
      var rs = span(x.rowSpan);
      if (xo.r < r) {
        x.rowSpan = rs - 1;
      } else if (rs > 1 && L.rows[r + 1]) {
        x.rowSpan = rs - 1;
        placeInRow(L, L.rows[r + 1], r + 1, xo.c, x);
      }
    }
    tr.remove();
    if (!table.rows.length) {
      var next = table.nextElementSibling;
      table.remove();
      return next;
    }
    var L2 = layout(table);
    var target = L2.rows[Math.min(r, L2.rows.length - 1)];
    var i = Math.min(r, L2.rows.length - 1);
    return (L2.grid[i] && L2.grid[i][Math.min(col, L2.grid[i].length - 1)]) || target.cells[0] || null;
  }

  function insertColumnAfter(cell) {
    var table = cell.closest('table');
    var L = layout(table);
    var o = L.origin.get(cell);
    var t = o.c + span(cell.colSpan) - 1;
    var first = null;
    var widened = new Set();
    L.rows.forEach(function (tr, r) {
      var x = L.grid[r][t];
      if (!x) {
        var filler = newCell(null);
        tr.appendChild(filler);
        if (r === o.r) first = filler;
        return;
      }
      var xo = L.origin.get(x);
      if (xo.c + span(x.colSpan) - 1 > t) {
        if (!widened.has(x)) { widened.add(x); x.colSpan = span(x.colSpan) + 1; }
      } else if (xo.r === r) {
        var added = newCell(x);
        if (span(x.rowSpan) > 1) added.rowSpan = span(x.rowSpan);
        x.after(added);
        if (r === o.r) first = added;
      }
    });
    return first;
  }

  function removeColumn(cell) {
    var table = cell.closest('table');
    var L = layout(table);
    var o = L.origin.get(cell);
    var c = o.c;
    var seen = new Set();
    L.rows.forEach(function (tr, r) {
      var x = L.grid[r][c];
      if (!x || seen.has(x)) return;
      seen.add(x);
      if (span(x.colSpan) > 1) x.colSpan = span(x.colSpan) - 1;
      else x.remove();
    });
    var hasCells = Array.prototype.some.call(table.rows, function (tr) { return tr.cells.length > 0; });
    if (!hasCells) {
      var next = table.nextElementSibling;
      table.remove();
      return next;
    }
    Array.prototype.slice.call(table.rows).forEach(function (tr) {
      if (!tr.cells.length) {
        // A row left without cells of its own: cells reaching into it from above lose it too.
        var L3 = layout(table);
        var rr = L3.rows.indexOf(tr);
        var fixed = new Set();
        (L3.grid[rr] || []).forEach(function (x) {
          if (x && !fixed.has(x)) { fixed.add(x); x.rowSpan = Math.max(1, span(x.rowSpan) - 1); }
        });
        tr.remove();
      }
    });
    var L2 = layout(table);
    var row = L2.grid[Math.min(o.r, L2.rows.length - 1)] || [];
    return row[Math.min(c, row.length - 1)] || row[row.length - 1] || null;
  }

  // The cell after (or before) cell in reading order, or null at the table's end (start).
  function neighbourCell(cell, backwards) {
    var table = cell.closest('table');
    var cells = Array.prototype.slice.call(table.querySelectorAll('td,th')).filter(function (c) {
      return c.closest('table') === table;
    });
    var i = cells.indexOf(cell) + (backwards ? -1 : 1);
    return i >= 0 && i < cells.length ? cells[i] : null;
  }

  return {
    build: build, insertRowAfter: insertRowAfter, removeRow: removeRow,
    insertColumnAfter: insertColumnAfter, removeColumn: removeColumn, neighbourCell: neighbourCell,
    layout: layout
  };
})();
