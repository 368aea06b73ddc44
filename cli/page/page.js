'use strict';
// The catalogue page: reads the tables the tool embedded (gzip, base64),
// shows a tree of categories, catalogues and directories beside the list of
// the selected one, and searches every name on the page.  Only the rows in
// view exist in the document, and every name reaches it as text.
(function () {
  const ROW = 22;  // pixels per row, as in the style
  const KIND_FOLDER = 0, KIND_CATALOG = 1, KIND_DIRECTORY = 2;
  const ATTR_DIRECTORY = 0x10;
  const TIME_OF_1970 = 11644473600 + 1;  // in the tables' seconds: since 1601, plus one
  const utf8 = new TextDecoder('utf-8');
  const $ = (id) => document.getElementById(id);

  // Variable-length numbers (7 bits a byte, low first) and texts.
  class Reader {
    constructor(bytes) { this.bytes = bytes; this.at = 0; }
    byte() {
      if (this.at >= this.bytes.length) throw new Error('the page\'s data ends early');
      return this.bytes[this.at++];
    }
    number() {
      let value = 0, scale = 1, b;
      do {
        b = this.byte();
        value += (b & 127) * scale;
        scale *= 128;
      } while (b & 128);
      return value;
    }
    text() { return utf8.decode(this.span(this.number())); }
    span(length) {
      if (this.at + length > this.bytes.length) throw new Error('the page\'s data ends early');
      const part = this.bytes.subarray(this.at, this.at + length);
      this.at += length;
      return part;
    }
  }

  // A column of `count` numbers, read without a call per number.
  function numbers(r, count) {
    const bytes = r.bytes, out = new Float64Array(count);
    let at = r.at;
    for (let i = 0; i < count; i++) {
      let value = 0, scale = 1, b;
      do {
        b = bytes[at++];
        value += (b & 127) * scale;
        scale *= 128;
      } while (b & 128);
      out[i] = value;
    }
    if (at > bytes.length) throw new Error('the page\'s data ends early');
    r.at = at;
    return out;
  }

  async function unpack() {
    const text = $('data').textContent.trim();
    $('data').remove();  // the text is read: the document need not keep it
    let bytes;
    if (Uint8Array.fromBase64) {
      bytes = Uint8Array.fromBase64(text);
    } else {
      const binary = atob(text);
      bytes = new Uint8Array(binary.length);
      for (let i = 0; i < binary.length; i++) bytes[i] = binary.charCodeAt(i);
    }
    const stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('gzip'));
    return new Uint8Array(await new Response(stream).arrayBuffer());
  }

  // The tables: nodes (folders, catalogues, directories) and entries grouped
  // by the node that lists them.
  function parse(bytes) {
    const r = new Reader(bytes);
    if (utf8.decode(r.span(4)) !== 'CLP1') throw new Error('the page\'s data is not in a known layout');
    const nodeCount = r.number(), count = r.number();
    const d = {
      count,
      nodeCount,
      kind: new Uint8Array(nodeCount),
      parent: new Int32Array(nodeCount),
      first: new Float64Array(nodeCount + 1),
      entry: new Int32Array(nodeCount).fill(-1),
      nodeName: new Array(nodeCount),
      catalog: new Array(nodeCount),
    };
    let at = 0;
    for (let i = 0; i < nodeCount; i++) {
      const kind = d.kind[i] = r.byte();
      const up = r.number();
      if (up > i) throw new Error('the page\'s tree is damaged');
      d.parent[i] = up === 0 ? -1 : i - up;
      d.first[i] = at;
      at += r.number();
      if (kind === KIND_DIRECTORY) {
        d.entry[i] = r.number();
        continue;
      }
      d.nodeName[i] = r.text();
      if (kind === KIND_CATALOG) {
        d.catalog[i] = {
          file: r.text(), fileSystem: r.text(), directories: r.number(), files: r.number(),
          bytes: r.number(), volume: r.number(), free: r.number(), captured: r.number(),
        };
      }
    }
    if (at !== count) throw new Error('the page\'s tree is damaged');
    d.first[nodeCount] = count;
    // The names stay bytes until the first screen is drawn (texts() makes
    // them one text for the search): where each starts, on the bytes.
    const nameBytes = d.nameBytes = r.span(r.number());
    const byteStart = d.byteStart = new Uint32Array(count + 1);
    let e = 1;
    for (let i = 0; i < nameBytes.length; i++) if (nameBytes[i] === 0) byteStart[e++] = i + 1;
    if (count > 0 && e !== count) throw new Error('the page\'s names are damaged');
    byteStart[count] = nameBytes.length + 1;
    d.names = null;
    d.attributes = numbers(r, count);
    d.size = numbers(r, count);  // -1 for unknown
    for (let i = 0; i < count; i++) d.size[i]--;
    d.time = numbers(r, count);  // seconds since 1601 plus one, 0 unknown
    let previous = 0;
    for (let i = 0; i < count; i++) {
      const v = d.time[i];
      d.time[i] = previous += v % 2 ? -(v + 1) / 2 : v / 2;
    }
    d.holder = new Uint32Array(count);
    d.directoryOf = new Int32Array(count).fill(-1);
    const children = new Array(nodeCount);
    for (let i = 0; i < nodeCount; i++) {
      d.holder.fill(i, d.first[i], d.first[i + 1]);
      if (d.entry[i] >= count) throw new Error('the page\'s tree is damaged');
      if (d.entry[i] >= 0) d.directoryOf[d.entry[i]] = i;
      if (d.parent[i] >= 0) (children[d.parent[i]] || (children[d.parent[i]] = [])).push(i);
    }
    d.children = children;
    return d;
  }

  let data;
  const entryName = (e) => (data.names !== null
    ? data.names.substring(data.nameStart[e], data.nameStart[e + 1] - 1)
    : utf8.decode(data.nameBytes.subarray(data.byteStart[e], data.byteStart[e + 1] - 1)));

  // Every name in one text, NUL between them, and where each starts in it:
  // a UTF-16 unit per character counted on the bytes, two for a four-byte
  // sequence.
  function texts() {
    if (data.names !== null) return;
    const bytes = data.nameBytes, count = data.count, names = utf8.decode(bytes);
    const start = new Uint32Array(count + 1);
    let units = 0, e = 1;
    for (let i = 0; i < bytes.length; i++) {
      const b = bytes[i];
      if (b === 0) start[e++] = ++units;
      else if ((b & 0xc0) !== 0x80) units += b >= 0xf0 ? 2 : 1;
    }
    // A byte that is not UTF-8 became U+FFFD: count on the text instead.
    for (let i = 1, p = 0; units !== names.length && i < count; i++) start[i] = p = names.indexOf('\0', p) + 1;
    start[count] = names.length + 1;
    data.nameStart = start;
    data.names = names;
    data.nameBytes = data.byteStart = null;
  }
  const nodeName = (n) => (data.entry[n] >= 0 ? entryName(data.entry[n]) : data.nodeName[n]);
  const childNodes = (n) => data.children[n] || [];
  const catalogOf = (n) => {
    while (n >= 0 && data.kind[n] !== KIND_CATALOG) n = data.parent[n];
    return n;
  };

  // Characters that would hide or rearrange a name are shown as signs.
  const HIDDEN = /[\u0000-\u001f\u007f-\u009f\u061c\u200b-\u200f\u2028-\u202e\u2060-\u2069\ufeff]/g;
  function shown(name) {
    return name.replace(HIDDEN, (c) => {
      const code = c.charCodeAt(0);
      if (code < 0x20) return String.fromCharCode(0x2400 + code);
      if (code === 0x7f) return '\u2421';
      return '<U+' + code.toString(16).toUpperCase().padStart(4, '0') + '>';
    });
  }
  function named(element, name) {
    element.textContent = shown(name);
    if (element.textContent !== name) element.classList.add('shown-control');
    return element;
  }

  const grouping = new Intl.NumberFormat('en-US');
  const two = (n) => String(n).padStart(2, '0');
  function localIso(date, separator) {
    const offset = -date.getTimezoneOffset();
    const zone = (offset < 0 ? '-' : '+') + two(Math.floor(Math.abs(offset) / 60)) + ':' + two(Math.abs(offset) % 60);
    return date.getFullYear() + '-' + two(date.getMonth() + 1) + '-' + two(date.getDate()) + separator +
      two(date.getHours()) + ':' + two(date.getMinutes()) + ':' + two(date.getSeconds()) + (separator === 'T' ? zone : '');
  }
  // A time cell: local time, and both forms on hover.
  function timeCell(cell, seconds) {
    if (!seconds) return;
    const date = new Date((seconds - TIME_OF_1970) * 1000);
    if (isNaN(date.getTime())) return;
    cell.textContent = localIso(date, ' ');
    cell.title = 'local: ' + localIso(date, 'T') + '\nUTC: ' + date.toISOString().replace('.000Z', 'Z');
  }
  function typeOf(e) {
    if (data.attributes[e] & ATTR_DIRECTORY) return 'directory';
    const name = entryName(e), dot = name.lastIndexOf('.');
    return dot > 0 && dot < name.length - 1 ? name.substring(dot + 1).toLowerCase() + ' file' : 'file';
  }

  // A scrolling box that holds only the rows in view.
  class VirtualRows {
    constructor(box, draw) {
      this.box = box;
      this.spacer = box.firstElementChild;
      this.draw = draw;
      this.length = 0;
      this.drawn = new Map();
      box.addEventListener('scroll', () => this.render());
      new ResizeObserver(() => this.render()).observe(box);
    }
    setLength(length) {
      this.length = length;
      this.spacer.style.height = length * ROW + 'px';
      this.render();
    }
    // A row keeps its element while its index stays in view, so a double
    // click meets the element its first click did.
    render() {
      const from = Math.max(0, Math.floor(this.box.scrollTop / ROW));
      const to = Math.min(this.length, from + Math.ceil(this.box.clientHeight / ROW) + 1);
      const old = this.drawn, drawn = new Map();
      for (let i = from; i < to; i++) {
        let row = old.get(i);
        if (row) old.delete(i);
        else row = this.box.appendChild(document.createElement('div'));
        row.className = 'row';
        row.style.cssText = 'top: ' + i * ROW + 'px';
        row.dataset.index = i;
        row.replaceChildren();
        this.draw(row, i);
        drawn.set(i, row);
      }
      for (const row of old.values()) row.remove();
      this.drawn = drawn;
    }
    show(i) {
      const top = i * ROW;
      if (top < this.box.scrollTop || top + ROW > this.box.scrollTop + this.box.clientHeight)
        this.box.scrollTop = Math.max(0, top - this.box.clientHeight / 2);
      this.render();
    }
  }

  // The tree: the visible nodes in order, each with its depth.
  const tree = { nodes: [], depth: [], open: null, selected: -1, view: null };

  function treeRow(row, i) {
    const node = tree.nodes[i];
    row.classList.add('tree-row', 'kind-' + data.kind[node]);
    if (node === tree.selected) row.classList.add('selected');
    row.style.paddingLeft = tree.depth[i] * 14 + 4 + 'px';
    const toggle = document.createElement('span');
    toggle.className = 'toggle';
    toggle.textContent = childNodes(node).length ? (tree.open[node] ? '▾' : '▸') : '';
    row.append(toggle, named(document.createElement('span'), nodeName(node)));
    row.lastChild.className = 'label';
  }

  function expand(i) {
    const node = tree.nodes[i];
    if (tree.open[node] || !childNodes(node).length) return;
    tree.open[node] = 1;
    const kids = childNodes(node);
    // Not splice(...kids): a directory may hold more sub-directories than a call takes arguments.
    tree.nodes = tree.nodes.slice(0, i + 1).concat(kids, tree.nodes.slice(i + 1));
    tree.depth = tree.depth.slice(0, i + 1).concat(kids.map(() => tree.depth[i] + 1), tree.depth.slice(i + 1));
  }
  function collapse(i) {
    const node = tree.nodes[i];
    if (!tree.open[node]) return;
    tree.open[node] = 0;
    let end = i + 1;
    while (end < tree.nodes.length && tree.depth[end] > tree.depth[i]) tree.open[tree.nodes[end++]] = 0;
    tree.nodes.splice(i + 1, end - i - 1);
    tree.depth.splice(i + 1, end - i - 1);
  }
  // Opens the node's ancestors and selects it in the tree.
  function reveal(node) {
    const chain = [];
    for (let n = data.parent[node]; n >= 0; n = data.parent[n]) chain.unshift(n);
    for (const n of chain) expand(tree.nodes.indexOf(n));
    tree.selected = node;
    tree.view.setLength(tree.nodes.length);
    tree.view.show(tree.nodes.indexOf(node));
  }

  // The list: rows are entries (>= 0) or the child nodes of a folder (~node).
  const list = { rows: [], node: -1, searching: false, selected: null, key: null, descending: false, view: null };

  function locationOf(node) {
    const parts = [];
    for (let n = node; n >= 0; n = data.parent[n]) parts.unshift(nodeName(n));
    if (data.parent[0] === -1 && data.kind[0] === KIND_FOLDER && parts.length > 1) parts.shift();
    return parts.join('/');
  }

  function listRow(row, i) {
    const item = list.rows[i];
    const cells = [0, 1, 2, 3, 4].map(() => document.createElement('span'));
    cells[1].className = 'location';
    cells[2].className = 'number';
    if (item >= 0) {
      named(cells[0], entryName(item));
      if (list.searching) named(cells[1], locationOf(data.holder[item]));
      if (data.size[item] >= 0) cells[2].textContent = grouping.format(data.size[item]);
      cells[3].textContent = typeOf(item);
      timeCell(cells[4], data.time[item]);
      if (data.attributes[item] & ATTR_DIRECTORY) row.classList.add('directory');
    } else {
      const node = ~item, info = data.catalog[node];
      named(cells[0], nodeName(node));
      cells[3].textContent = info ? 'catalogue' : 'category';
      if (info) {
        cells[2].textContent = grouping.format(info.bytes);
        timeCell(cells[4], info.captured);
      }
      row.classList.add('directory');
    }
    if (item === list.selected) row.classList.add('selected');
    row.append(...cells);
  }

  const collator = new Intl.Collator(undefined, { numeric: true });
  function sortKey(item) {
    switch (list.key) {
      case 'name': return item >= 0 ? entryName(item) : nodeName(~item);
      case 'location': return item >= 0 ? locationOf(data.holder[item]) : '';
      case 'size': return item >= 0 ? data.size[item] : data.catalog[~item] ? data.catalog[~item].bytes : -1;
      case 'type': return item >= 0 ? typeOf(item) : data.catalog[~item] ? 'catalogue' : 'category';
      case 'time': return item >= 0 ? data.time[item] : data.catalog[~item] ? data.catalog[~item].captured : 0;
    }
    return 0;
  }
  function sortRows() {
    if (!list.key) return;
    const keys = new Map(list.rows.map((item) => [item, sortKey(item)]));
    const text = list.key === 'name' || list.key === 'location' || list.key === 'type';
    const sign = list.descending ? -1 : 1;
    list.rows.sort((a, b) => {
      const x = keys.get(a), y = keys.get(b);
      const order = text ? collator.compare(x, y) : x - y;
      return sign * order || a - b;
    });
  }
  function showRows(rows) {
    list.rows = rows;
    sortRows();
    $('pane').classList.toggle('searching', list.searching);
    for (const button of document.querySelectorAll('#columns button'))
      if (button.dataset.key === list.key) button.setAttribute('aria-sort', list.descending ? 'descending' : 'ascending');
      else button.removeAttribute('aria-sort');
    list.view.box.scrollTop = 0;
    list.view.setLength(rows.length);
  }

  const plural = (n, one, many) => grouping.format(n) + ' ' + (n === 1 ? one : many);
  function catalogSummary(node) {
    const c = data.catalog[node];
    let text = 'Catalogue ' + shown(nodeName(node)) + ' (' + shown(c.file) + '): ' +
      plural(c.directories, 'directory', 'directories') + ', ' + plural(c.files, 'file', 'files') + ', ' +
      plural(c.bytes, 'byte', 'bytes');
    if (c.volume) text += '\nVolume: ' + grouping.format(Math.max(0, c.volume - c.free)) + ' bytes used, ' +
      grouping.format(c.free) + ' bytes free of ' + grouping.format(c.volume);
    if (c.fileSystem) text += ' (' + shown(c.fileSystem) + ')';
    if (c.captured) text += '\nCaptured ' + localIso(new Date((c.captured - TIME_OF_1970) * 1000), ' ');
    return text;
  }
  function folderSummary(node) {
    let catalogs = 0, files = 0, bytes = 0;
    const walk = (n) => {
      for (const k of childNodes(n)) {
        if (data.kind[k] === KIND_CATALOG) {
          catalogs++;
          files += data.catalog[k].files;
          bytes += data.catalog[k].bytes;
        } else if (data.kind[k] === KIND_FOLDER) walk(k);
      }
    };
    walk(node);
    return shown(locationOf(node) || nodeName(node)) + ': ' + plural(catalogs, 'catalogue', 'catalogues') + ', ' +
      plural(files, 'file', 'files') + ', ' + plural(bytes, 'byte', 'bytes');
  }

  // Lists a node: a folder's categories and catalogues, or a directory's entries.
  function open(node, selectEntry) {
    list.node = node;
    list.searching = false;
    list.selected = selectEntry === undefined ? null : selectEntry;
    const rows = [];
    if (data.kind[node] === KIND_FOLDER) for (const k of childNodes(node)) rows.push(~k);
    else for (let e = data.first[node]; e < data.first[node + 1]; e++) rows.push(e);
    showRows(rows);
    const catalog = catalogOf(node);
    $('info').textContent = catalog >= 0 ? catalogSummary(catalog) : folderSummary(node);
    if (data.kind[node] === KIND_DIRECTORY) $('info').textContent += '\n' + shown(locationOf(node));
    $('count').textContent = plural(rows.length, 'item', 'items');
    reveal(node);
    if (selectEntry !== undefined) list.view.show(list.rows.indexOf(selectEntry));
  }

  // Every entry whose name matches: a substring without wildcards, the
  // whole name with them ('*' any run, '?' one character); case is ignored.
  function find(pattern) {
    texts();
    const count = data.count;
    if (/^\*+$/.test(pattern)) return Array.from({ length: count }, (_, i) => i);
    const wild = /[*?]/.test(pattern);
    // A whole name: anchored at both ends, except where a '*' stands at an
    // end (scanning on from every name's start costs more than the match).
    const chars = [...pattern];
    const anchorStart = wild && chars[0] !== '*', anchorEnd = wild && chars[chars.length - 1] !== '*';
    while (chars[0] === '*') chars.shift();
    while (chars[chars.length - 1] === '*') chars.pop();
    let source = anchorStart ? '(?<![^\\0])' : '';
    for (const c of chars)
      source += c === '*' ? '[^\\0]*' : c === '?' ? '[^\\0]' : c.replace(/[\\^$.*+?()[\]{}|/]/g, '\\$&');
    if (anchorEnd) source += '(?![^\\0])';
    // '?' is one character, not one UTF-16 unit; without it the faster
    // matching of units finds the same names.
    const re = new RegExp(source, pattern.includes('?') ? 'giu' : 'gi');
    const start = data.nameStart, hits = [];
    let entry = 0, match;
    while (entry < count && (match = re.exec(data.names)) !== null) {
      // Hits come in order: the entry holding the match is found by
      // stepping on, never more steps in all than there are entries.
      while (start[entry + 1] <= match.index) entry++;
      hits.push(entry);
      re.lastIndex = start[++entry];
    }
    return hits;
  }

  function search() {
    const pattern = $('search').value;
    if (pattern === '') {
      open(list.node < 0 ? 0 : list.node);
      return;
    }
    const hits = find(pattern);
    list.searching = true;
    list.selected = null;
    showRows(hits);
    $('count').textContent = plural(hits.length, 'hit', 'hits');
    $('info').textContent = 'Search in every catalogue on the page: ' + shown(pattern);
  }

  function start() {
    tree.open = new Uint8Array(data.nodeCount);
    tree.nodes = [0];
    tree.depth = [0];
    tree.view = new VirtualRows($('tree'), treeRow);
    list.view = new VirtualRows($('list'), listRow);
    expand(0);
    if (data.kind[0] === KIND_FOLDER && childNodes(0).length === 1) expand(1);

    $('tree').addEventListener('click', (event) => {
      const row = event.target.closest('.row');
      if (!row) return;
      const i = Number(row.dataset.index), node = tree.nodes[i];
      if (event.target.classList.contains('toggle')) {
        if (tree.open[node]) collapse(i);
        else expand(i);
        tree.view.setLength(tree.nodes.length);
      } else {
        open(node);
      }
    });
    $('list').addEventListener('click', (event) => {
      const row = event.target.closest('.row');
      if (!row) return;
      const item = list.rows[Number(row.dataset.index)];
      list.selected = item;
      // A hit is shown where it is: its directory selected in the tree.
      if (list.searching && item >= 0) reveal(data.holder[item]);
      // Only the marks change: the row stays for a second click.
      for (const [i, drawn] of list.view.drawn) drawn.classList.toggle('selected', list.rows[i] === item);
    });
    $('list').addEventListener('dblclick', (event) => {
      const row = event.target.closest('.row');
      if (!row) return;
      const item = list.rows[Number(row.dataset.index)];
      if (item < 0) open(~item);
      else if (data.directoryOf[item] >= 0 && !list.searching) open(data.directoryOf[item]);
      else open(data.holder[item], item);
    });
    $('columns').addEventListener('click', (event) => {
      const key = event.target.dataset && event.target.dataset.key;
      if (!key) return;
      list.descending = list.key === key ? !list.descending : false;
      list.key = key;
      showRows(list.rows);
    });
    let pending = 0;
    $('search').addEventListener('input', () => {
      clearTimeout(pending);
      pending = setTimeout(search, 250);
    });
    $('search').addEventListener('keydown', (event) => {
      if (event.key !== 'Enter') return;
      clearTimeout(pending);
      search();
    });
    open(data.kind[0] === KIND_FOLDER && childNodes(0).length === 1 ? childNodes(0)[0] : 0);
    const catalogs = data.catalog.filter(Boolean).length;
    $('status').textContent = plural(catalogs, 'catalogue', 'catalogues') + ', ' +
      plural(data.count, 'entry', 'entries') + ' on this page';
    document.title = shown(nodeName(0)) + ' – catalogues';
    document.body.dataset.state = 'ready';
    // The search's text is made once the first screen is drawn.
    requestAnimationFrame(() => setTimeout(texts));
  }

  unpack().then((bytes) => {
    data = parse(bytes);
    if (data.nodeCount === 0) throw new Error('the page holds no catalogue');
    start();
  }).catch((error) => {
    $('status').textContent = 'This page cannot be shown: ' + error.message;
    document.body.dataset.state = 'failed';
  });
})();
