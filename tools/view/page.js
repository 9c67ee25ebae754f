// bscan view: draws the devices of the page from its JSON island
// (#bscan-view-data, written by `bscan view`; keys in README.md). Plain
// script, no library, nothing fetched. Each device section is drawn by
// DeviceView; window.bscanView gives the drawn devices to whoever looks at
// the page from outside (the browser tests).
(function () {
  'use strict';

  var ROLES = [
    ['input', 'Input'],
    ['output', 'Output'],
    ['output3', '3-state output'],
    ['bidir', 'Bidirectional'],
    ['clock', 'Clock'],
    ['observe', 'Observe-only'],
    ['linkage', 'Linkage or power'],
    ['nocell', 'No boundary-scan cell'],
    ['other', 'Control or internal cells only']
  ];
  var ROLE_NAMES = {};
  ROLES.forEach(function (r) { ROLE_NAMES[r[0]] = r[1]; });

  var SVG_NS = 'http://www.w3.org/2000/svg';

  // ---- small helpers -------------------------------------------------------

  function esc(text) {
    return String(text === null || text === undefined ? '' : text)
      .replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;').replace(/"/g, '&quot;');
  }

  function show(value) {
    return value === null || value === undefined ? '-' : String(value);
  }

  function el(tag, className, html) {
    var node = document.createElement(tag);
    if (className) node.className = className;
    if (html !== undefined) node.innerHTML = html;
    return node;
  }

  function swatch(role, square) {
    return '<span class="swatch role-' + role + (square ? ' square' : '') + '"></span>';
  }

  // ---- one device ----------------------------------------------------------

  function DeviceView(device, index) {
    this.device = device;
    this.index = index;
    this.model = device.model;
    this.pinElements = [];      // port index -> drawn element (or undefined)
    this.pinCenters = [];       // port index -> [x, y] in the drawing (SVG kinds)
    this.selected = -1;
    this.section = el('section', 'device');
    this.section.id = 'device-' + index;
    this.section.dataset.device = String(index);
    this.renderHeader();
    if (device.chain && device.chain.bypass) {
      this.section.appendChild(el('p', 'bypass-note', 'This device has no BSDL file in the chain file (line ' +
        esc(device.chain.line) + ': <code>ir=' + esc(device.chain.ir_length) + '</code>): the chain keeps it in ' +
        'BYPASS, one bit of the data path, and there is nothing to draw.'));
      return;
    }
    if (!device.read.ok || !this.model) {
      this.renderFailure();
      return;
    }
    this.indexModel();
    this.renderLegend();
    this.renderWorkspace();
    this.renderTabs();
  }

  DeviceView.prototype.indexModel = function () {
    var model = this.model, self = this;
    this.portByLabel = {};
    this.portByName = {};
    model.ports.forEach(function (port, i) {
      self.portByLabel[port.label.toUpperCase()] = i;
      if (port.port && !(port.port.toUpperCase() in self.portByName))
        self.portByName[port.port.toUpperCase()] = i;
    });
    this.driven = {};
    (this.device.driven || []).forEach(function (d) {
      var i = self.portByLabel[String(d.label).toUpperCase()];
      if (i !== undefined) self.driven[i] = d;
    });
    // Ports a control cell enables, for a click on that cell.
    this.controlled = {};
    model.ports.forEach(function (port, i) {
      if (port.control_cell !== null) {
        (self.controlled[port.control_cell] = self.controlled[port.control_cell] || []).push(i);
      }
    });
    this.findingsByPort = {};
    (this.device.findings || []).forEach(function (f) {
      var i = self.findPort(f.port);
      if (i === undefined && f.cell !== undefined && f.cell !== null) {
        var cell = model.cells[f.cell];
        if (cell && cell.port) i = self.findPort(cell.port);
      }
      if (i !== undefined) (self.findingsByPort[i] = self.findingsByPort[i] || []).push(f);
    });
  };

  DeviceView.prototype.findPort = function (name) {
    if (name === null || name === undefined) return undefined;
    var key = String(name).toUpperCase();
    return key in this.portByLabel ? this.portByLabel[key] : this.portByName[key];
  };

  DeviceView.prototype.role = function (portIndex) {
    return this.device.roles[portIndex] || 'other';
  };

  // ---- header ----------------------------------------------------------------

  DeviceView.prototype.renderHeader = function () {
    var d = this.device, m = this.model;
    var head = el('header', 'device-head');
    var title = d.entity || (m && m.entity) || (d.chain && d.chain.bypass ? '(no BSDL file)' : '(no entity)');
    var chain = d.chain ? '<span class="chain-name">' + esc(d.chain.name) + '</span> ' : '';
    var place = d.chain ? ' <span class="note">device ' + esc(d.chain.position) + ' of ' + esc(d.chain.devices) +
      ' in the chain</span>' : '';
    head.appendChild(el('h1', '', chain + esc(title) + place));
    var facts = [['file', show(d.file)]];
    if (d.chain) facts.push(['IR', d.chain.ir_length === null ? '-' : d.chain.ir_length + ' bits']);
    if (m) facts.push(['package', m.package === null ? '-' : m.package]);
    if (d.idcode) facts.push(['IDCODE', formatIdcode(d.idcode)]);
    if (m) {
      var c = m.counts;
      var drawn = m.ports.filter(function (p) { return p.pin_name !== null; }).length;
      facts.push(['pins', drawn], ['ports', c.port_nodes], ['cells', c.boundary_cells],
                 ['instructions', c.instructions], ['differential pairs', c.differential_pairs]);
    }
    var read = d.chain && d.chain.bypass ? '<span class="note">kept in BYPASS</span>'
             : d.read.ok ? '<span class="read-ok">read: 0 (BSDL_OK)</span>'
             : '<span class="read-failed">did not read (line ' + esc(d.read.line) + ')</span>';
    var dl = el('dl', 'facts');
    dl.innerHTML = facts.map(function (f) {
      return '<div><dt>' + esc(f[0]) + '</dt><dd data-fact="' + esc(f[0]) + '">' + esc(f[1]) + '</dd></div>';
    }).join('') + '<div><dd data-fact="read">' + read + '</dd></div>';
    head.appendChild(dl);
    this.section.appendChild(head);
  };

  // The 32 bits of an IDCODE (0, 1, X) as version, part number,
  // manufacturer and the final 1.
  function formatIdcode(id) {
    var bits = typeof id === 'string' ? id : String(id.pattern || '');
    return bits.length === 32 ? [bits.slice(0, 4), bits.slice(4, 20), bits.slice(20, 31), bits.slice(31)].join(' ')
                              : bits;
  }

  DeviceView.prototype.renderFailure = function () {
    var r = this.device.read;
    var box = el('div', 'failure');
    var html = '<p>The file did not read, so there is no device to draw. The reader stopped here:</p>' +
      '<p class="error-line">' + esc(r.result) + '</p>';
    if (r.excerpt && r.excerpt.length) {
      html += '<pre>' + r.excerpt.map(function (l) {
        return '<span' + (l.line === r.line ? ' class="at"' : '') + '><b>' + esc(l.line) + '</b>' +
          esc(l.text) + '</span>';
      }).join('') + '</pre>';
    }
    box.innerHTML = html + findingList(this.device.findings);
    this.section.appendChild(box);
  };

  // The checker's findings as a list (the failure page shows them all).
  function findingList(findings) {
    if (!findings || !findings.length) return '';
    return '<h3>What the checker found</h3>' + findings.map(function (f) {
      return '<div class="finding ' + esc(f.severity) + '"><b>' + esc(f.severity) + '</b> line ' + esc(f.line) +
        ': ' + esc(f.message) + ' <span class="note">[' + esc(f.rule) + ']</span></div>';
    }).join('');
  }

  // ---- legend and driven ports ---------------------------------------------

  DeviceView.prototype.renderLegend = function () {
    var counts = {}, self = this;
    this.model.ports.forEach(function (p, i) {
      if (p.pin_name !== null) counts[self.role(i)] = (counts[self.role(i)] || 0) + 1;
    });
    var items = ROLES.filter(function (r) { return counts[r[0]]; }).map(function (r) {
      return '<li data-role="' + r[0] + '">' + swatch(r[0]) + esc(r[1]) + ' <span class="note">' +
        counts[r[0]] + '</span></li>';
    });
    if (this.model.differential_pairs.length)
      items.push('<li><svg width="26" height="12"><line x1="3" y1="6" x2="23" y2="6" stroke="#212529" ' +
                 'stroke-width="1.6" stroke-dasharray="3 2"/></svg>differential pair (+ / &minus;)</li>');
    var marked = { error: 0, warning: 0 };
    Object.keys(this.findingsByPort).forEach(function (i) {
      var f = self.findingsByPort[i];
      if (self.model.ports[i].pin_name === null) return;
      if (f.some(function (x) { return x.severity === 'error'; })) ++marked.error;
      else if (f.some(function (x) { return x.severity === 'warning'; })) ++marked.warning;
    });
    if (marked.error)
      items.push('<li><span class="swatch" style="background:#fff;border:2px solid #e03131"></span>error found ' +
                 'by the checker <span class="note">' + marked.error + '</span></li>');
    if (marked.warning)
      items.push('<li><span class="swatch" style="background:#fff;border:2px solid #f08c00"></span>warning ' +
                 '<span class="note">' + marked.warning + '</span></li>');
    if (Object.keys(this.driven).length)
      items.push('<li><span class="swatch" style="background:#fff;border:2px solid #000"></span>driven (value on the pin)</li>');
    var legend = el('ul', 'legend', items.join(''));
    this.section.appendChild(legend);
    var driven = this.device.driven || [];
    if (driven.length) {
      this.section.appendChild(el('p', 'driven-list', 'Driven: ' + driven.map(function (d) {
        return '<code>' + esc(d.argument) + '</code>';
      }).join('') + '<span class="note">(in this order, as <code>bscan drive</code> does)</span>'));
    }
  };

  // ---- package drawing -------------------------------------------------------

  DeviceView.prototype.renderWorkspace = function () {
    var work = el('div', 'workspace');
    var pane = el('div', 'package-pane');
    var layout = this.device.layout;
    pane.dataset.kind = layout.kind;
    this.details = el('aside', 'details');
    if (layout.kind === 'list') {
      pane.appendChild(this.listPins(layout.pins, 'Pins'));
    } else {
      pane.appendChild(this.renderToolbar());
      this.view = el('div', 'package-view');
      pane.appendChild(this.view);
      this.drawSvg(layout);
    }
    if (layout.others.length)
      pane.appendChild(this.listPins(layout.others, 'Pins beside the ' + layout.kind +
        ' drawing: named otherwise, or on a place another port already has (' + layout.others.length + ')'));
    work.appendChild(pane);
    work.appendChild(this.details);
    this.section.appendChild(work);
    this.showDetails(-1);
    this.bindPinEvents(pane);
  };

  DeviceView.prototype.renderToolbar = function () {
    var self = this;
    var bar = el('div', 'toolbar');
    [['+', 'Zoom in', function () { self.zoom(1 / 1.6); }],
     ['\u2212', 'Zoom out', function () { self.zoom(1.6); }],
     ['Fit', 'Fit the package to the window', function () { self.fit(); }]].forEach(function (b) {
      var button = el('button', '', esc(b[0]));
      button.title = b[1];
      button.dataset.action = b[1];
      button.addEventListener('click', b[2]);
      bar.appendChild(button);
    });
    bar.appendChild(el('span', 'hint', 'wheel or double click: zoom, drag: move, click a pin: details'));
    return bar;
  };

  DeviceView.prototype.pinAttrs = function (i, pin, extra) {
    var port = this.model.ports[i];
    var classes = 'pin role-' + this.role(i) + (this.driven[i] ? ' driven' : '');
    var f = this.findingsByPort[i] || [];
    if (f.some(function (x) { return x.severity === 'error'; })) classes += ' has-error';
    else if (f.some(function (x) { return x.severity === 'warning'; })) classes += ' has-warning';
    return ' class="' + classes + '" data-index="' + i + '" data-pin="' + esc(pin) + '" data-port="' +
      esc(port.label) + '" data-role="' + this.role(i) + '"' + (extra || '');
  };

  DeviceView.prototype.valueText = function (i, x, y) {
    var d = this.driven[i];
    return d ? '<text class="value" data-value-for="' + i + '" x="' + x + '" y="' + y + '">' + esc(d.value) + '</text>' : '';
  };

  DeviceView.prototype.drawSvg = function (layout) {
    var frame = [], pins = [], self = this, size;
    if (layout.kind === 'grid') size = this.drawGrid(layout, frame, pins);
    else size = this.drawNumbered(layout, frame, pins);
    // Differential pairs: a dashed link beneath the legs, + and - on them.
    var parts = frame;
    this.model.differential_pairs.forEach(function (pair) {
      var p = self.findPort(pair.positive), n = self.findPort(pair.negative);
      var a = self.pinCenters[p], b = self.pinCenters[n];
      if (a && b) parts.push('<line class="pair-link" x1="' + a[0] + '" y1="' + a[1] + '" x2="' + b[0] +
                             '" y2="' + b[1] + '"/>');
    });
    parts = parts.concat(pins);
    var badge = layout.kind === 'grid' ? 6.5 : 0;
    this.model.ports.forEach(function (port, i) {
      var c = self.pinCenters[i];
      if (!c || !port.differential) return;
      var x = c[0] + badge, y = c[1] - badge;
      parts.push('<g class="diff" data-index="' + i + '"><circle class="diff-badge" cx="' + x + '" cy="' + y +
                 '" r="3.6"/><text class="diff-mark" x="' + x + '" y="' + (y + 0.3) + '">' +
                 (port.differential === 'positive' ? '+' : '\u2212') + '</text></g>');
    });
    parts.push('<g class="rings"></g><g class="sticky-axes"></g>');
    this.full = { x: 0, y: 0, w: size[0], h: size[1] };
    var svg = document.createElementNS(SVG_NS, 'svg');
    svg.setAttribute('xmlns', SVG_NS);
    svg.setAttribute('preserveAspectRatio', 'xMidYMid meet');
    svg.innerHTML = parts.join('');
    this.svg = svg;
    this.rings = svg.querySelector('.rings');
    this.stickyAxes = svg.querySelector('.sticky-axes');
    this.view.appendChild(svg);
    var drawn = svg.querySelectorAll('.pin');
    for (var k = 0; k < drawn.length; ++k) this.pinElements[+drawn[k].dataset.index] = drawn[k];
    // The whole drawing until the page is laid out and fit() can size it.
    this.box = { x: 0, y: 0, w: size[0], h: size[1] };
    svg.setAttribute('viewBox', '0 0 ' + size[0] + ' ' + size[1]);
    this.bindZoom();
  };

  DeviceView.prototype.drawGrid = function (layout, parts, pinParts) {
    var P = 20, R = 8.2, M = 22, self = this;
    var rows = layout.rows.length, cols = layout.columns;
    var W = 2 * M + cols * P, H = 2 * M + rows * P;
    var used = {};
    layout.pins.forEach(function (pin) { used[pin.row * (cols + 1) + pin.column] = true; });
    // The places of the grid that carry no pin of the map: one path.
    var empty = [];
    for (var r = 0; r < rows; ++r) {
      for (var c = 1; c <= cols; ++c) {
        if (used[r * (cols + 1) + c]) continue;
        var ex = M + (c - 1) * P + P / 2 - 3, ey = M + r * P + P / 2;
        empty.push('M' + ex + ' ' + ey + 'a3 3 0 1 0 6 0a3 3 0 1 0 -6 0');
      }
    }
    if (empty.length) parts.push('<path class="empty" d="' + empty.join('') + '"/>');
    // Row and column labels on all four sides.
    for (r = 0; r < rows; ++r) {
      var y = M + r * P + P / 2, label = esc(layout.rows[r]);
      parts.push('<text class="axis big" x="' + (M / 2) + '" y="' + y + '">' + label + '</text>' +
                 '<text class="axis big" x="' + (W - M / 2) + '" y="' + y + '">' + label + '</text>');
    }
    for (c = 1; c <= cols; ++c) {
      var x = M + (c - 1) * P + P / 2;
      parts.push('<text class="axis" x="' + x + '" y="' + (M / 2) + '">' + c + '</text>' +
                 '<text class="axis" x="' + x + '" y="' + (H - M / 2) + '">' + c + '</text>');
    }
    layout.pins.forEach(function (pin) {
      var cx = M + (pin.column - 1) * P + P / 2, cy = M + pin.row * P + P / 2;
      self.pinCenters[pin.port] = [cx, cy];
      pinParts.push('<circle r="' + R + '" cx="' + cx + '" cy="' + cy + '"' + self.pinAttrs(pin.port, pin.pin) + '/>');
      pinParts.push(self.valueText(pin.port, cx, cy + 0.5));
    });
    // Ball and port names are drawn once the zoom first makes them legible
    // (setBox): a large grid opens without thousands of hidden texts.
    this.ballLabels = layout.pins;
    this.grid = { P: P, M: M, rows: layout.rows, columns: cols };
    pinParts.push('<g class="names"></g><g class="port-names"></g>');
    return [W, H];
  };

  // Pins around a rectangle: pin 1 at the top of the left side, then down
  // the left side, along the bottom, up the right side and back along the
  // top, as packages with numbered pins count them. A package with two rows
  // of pins (layout.sides 2) has them down the left side and up the right
  // side only, as its datasheet draws it.
  DeviceView.prototype.drawNumbered = function (layout, parts, pinParts) {
    var P = 12, L = 16, T = 7, self = this;
    var dual = layout.sides === 2, n = layout.columns / (dual ? 2 : 4);
    var names = 0;
    this.model.ports.forEach(function (p) { names = Math.max(names, (p.label || '').length); });
    var M = L + 8 + Math.min(names, 28) * 3.4;            // room for the port names
    // The body: square for four sides; for two, as long as a row and wide
    // enough for the package's name.
    var SH = dual ? (n + 1) * P : (n + 2) * P;
    var SW = dual ? Math.max(5 * P, Math.min(String(this.model.package || '').length * 6 + 2 * P, SH)) : SH;
    var first = dual ? P / 2 : P;                         // from the corner to the first pin's place
    var B = M, BY = dual ? L + 8 : M, W = 2 * M + SW, H = 2 * BY + SH;
    parts.push('<rect class="body" x="' + B + '" y="' + BY + '" width="' + SW + '" height="' + SH + '" rx="4"/>');
    parts.push('<circle class="pin1" cx="' + (B + P * 0.9) + '" cy="' + (BY + P * 0.9) + '" r="3"/>');
    parts.push('<text class="axis big" x="' + (B + SW / 2) + '" y="' + (BY + SH / 2) + '">' +
               esc(this.model.package || '') + '</text>');
    var byPosition = {};
    layout.pins.forEach(function (pin) { byPosition[pin.position] = pin; });
    for (var k = 0; k < layout.columns; ++k) {
      var side = Math.floor(k / n), j = k % n, cx, cy, rx, ry, rw, rh, tx, ty, anchor, rotate = 0, nx, ny;
      if (dual && side === 1) side = 2;
      var along = first + j * P + P / 2;
      if (side === 0) {            // left, top to bottom
        cx = B - L / 2; cy = BY + along; rx = B - L; ry = cy - T / 2; rw = L; rh = T;
        tx = B - L - 3; ty = cy; anchor = 'end'; nx = B + 3; ny = cy;
      } else if (side === 1) {     // bottom, left to right
        cx = B + along; cy = BY + SH + L / 2; rx = cx - T / 2; ry = BY + SH; rw = T; rh = L;
        tx = cx; ty = BY + SH + L + 3; anchor = 'start'; rotate = 90; nx = cx; ny = BY + SH - 5;
      } else if (side === 2) {     // right, bottom to top
        cx = B + SW + L / 2; cy = BY + SH - along; rx = B + SW; ry = cy - T / 2; rw = L; rh = T;
        tx = B + SW + L + 3; ty = cy; anchor = 'start'; nx = B + SW - 3; ny = cy;
      } else {                     // top, right to left
        cx = B + SW - along; cy = BY - L / 2; rx = cx - T / 2; ry = BY - L; rw = T; rh = L;
        tx = cx; ty = BY - L - 3; anchor = 'start'; rotate = -90; nx = cx; ny = BY + 5;
      }
      var pin = byPosition[k];
      var numberAnchor = side === 0 ? 'start' : side === 2 ? 'end' : 'middle';
      parts.push('<text class="number" x="' + nx + '" y="' + ny + '" text-anchor="' + numberAnchor + '">' +
                 (k + 1) + '</text>');
      var box = ' x="' + rx + '" y="' + ry + '" width="' + rw + '" height="' + rh + '"';
      if (!pin) {
        parts.push('<rect class="empty"' + box + '/>');
        continue;
      }
      self.pinCenters[pin.port] = [cx, cy];
      pinParts.push('<rect' + box + self.pinAttrs(pin.port, pin.pin) + '/>');
      pinParts.push(self.valueText(pin.port, cx, cy + 0.5));
      var transform = rotate ? ' transform="rotate(' + rotate + ' ' + tx + ' ' + ty + ')"' : '';
      parts.push('<text class="label" x="' + tx + '" y="' + ty + '" text-anchor="' + anchor + '"' + transform +
                 '>' + esc(self.model.ports[pin.port].label) + '</text>');
    }
    return [W, H];
  };

  DeviceView.prototype.listPins = function (pins, title) {
    var self = this;
    var box = el('div', 'others');
    box.appendChild(el('h3', '', esc(title)));
    var list = el('ol', 'pin-list');
    list.innerHTML = pins.map(function (pin) {
      var port = self.model.ports[pin.port], d = self.driven[pin.port];
      var diff = port.differential ? (port.differential === 'positive' ? ' +' : ' \u2212') : '';
      return '<li' + self.pinAttrs(pin.port, pin.pin) + '>' + swatch(self.role(pin.port)) + '<b>' +
        esc(pin.pin) + '</b>' + esc(port.label) + esc(diff) + (d ? '<span class="v" data-value-for="' + pin.port + '">' + esc(d.value) + '</span>' : '') +
        '</li>';
    }).join('');
    box.appendChild(list);
    var items = list.querySelectorAll('.pin');
    for (var k = 0; k < items.length; ++k) this.pinElements[+items[k].dataset.index] = items[k];
    return box;
  };

  // ---- zoom and pan ----------------------------------------------------------

  DeviceView.prototype.sizeView = function () {
    var width = this.view.clientWidth || 800;
    var top = this.view.getBoundingClientRect().top + window.scrollY;
    var room = Math.max(320, window.innerHeight - Math.min(top, 240) - 16);
    this.view.style.height = Math.round(Math.min(room, width * this.full.h / this.full.w)) + 'px';
  };

  DeviceView.prototype.setBox = function (box) {
    this.box = box;
    this.svg.setAttribute('viewBox', box.x + ' ' + box.y + ' ' + box.w + ' ' + box.h);
    // Ball names once a ball is big enough on the screen to hold them.
    var scale = Math.min(this.view.clientWidth / box.w, this.view.clientHeight / box.h) || 1;
    if (scale >= 1.5) this.drawLabels('names');
    if (scale >= 4) this.drawLabels('port-names');
    this.svg.classList.toggle('show-names', scale >= 1.5);
    this.svg.classList.toggle('show-ports', scale >= 4);
    this.svg.dataset.scale = scale.toFixed(3);
    this.stickAxes(scale);
  };

  // A grid zoomed in keeps its row letters and column numbers in sight: on
  // a band along the left and the top edge of the view, at the rows and
  // columns in sight, as long as the labels drawn around the grid are not.
  DeviceView.prototype.stickAxes = function (scale) {
    var g = this.grid, group = this.stickyAxes;
    if (!g || !group) return;
    var vw = this.view.clientWidth, vh = this.view.clientHeight, b = this.box;
    // The part of the drawing in sight: the view box, centred in the view.
    var sw = vw / scale, sh = vh / scale, x0 = b.x + b.w / 2 - sw / 2, y0 = b.y + b.h / 2 - sh / 2;
    var u = 1 / scale, html = [];
    var left = x0 > g.M / 4, top = y0 > g.M / 4;
    if (left) {
      html.push('<rect class="sticky-band" x="' + x0 + '" y="' + y0 + '" width="' + 26 * u + '" height="' + sh + '"/>');
      for (var r = 0; r < g.rows.length; ++r) {
        var y = g.M + r * g.P + g.P / 2;
        if (y < y0 + (top ? 18 : 6) * u || y > y0 + sh - 6 * u) continue;
        html.push('<text class="sticky-axis" data-row="' + esc(g.rows[r]) + '" x="' + (x0 + 13 * u) + '" y="' + y +
                  '" font-size="' + 13 * u + '">' + esc(g.rows[r]) + '</text>');
      }
    }
    if (top) {
      html.push('<rect class="sticky-band" x="' + x0 + '" y="' + y0 + '" width="' + sw + '" height="' + 18 * u + '"/>');
      for (var c = 1; c <= g.columns; ++c) {
        var x = g.M + (c - 1) * g.P + g.P / 2;
        if (x < x0 + (left ? 26 : 8) * u || x > x0 + sw - 8 * u) continue;
        html.push('<text class="sticky-axis" data-column="' + c + '" x="' + x + '" y="' + (y0 + 9 * u) +
                  '" font-size="' + 11 * u + '">' + c + '</text>');
      }
    }
    group.innerHTML = html.join('');
  };

  var DARK_ROLES = { input: 1, output: 1, bidir: 1, clock: 1, linkage: 1 };

  // The ball names ('names') or the port names under them ('port-names').
  DeviceView.prototype.drawLabels = function (kind) {
    var group = this.ballLabels && this.svg.querySelector('g.' + kind);
    if (!group || group.dataset.drawn) return;
    var self = this, P = 20, M = 22, html = [];
    this.ballLabels.forEach(function (pin) {
      var cx = M + (pin.column - 1) * P + P / 2, cy = M + pin.row * P + P / 2;
      var dark = DARK_ROLES[self.role(pin.port)] ? ' dark' : '';
      if (kind === 'names') {
        if (!self.driven[pin.port])
          html.push('<text class="name' + dark + '" x="' + cx + '" y="' + cy + '">' + esc(pin.pin) + '</text>');
      } else {
        var label = self.model.ports[pin.port].label;
        if (label.length > 10) label = label.slice(0, 9) + '\u2026';
        html.push('<text class="port-name' + dark + '" x="' + cx + '" y="' + (cy + 4.4) + '">' + esc(label) +
                  '</text>');
      }
    });
    group.innerHTML = html.join('');
    group.dataset.drawn = 'true';
  };

  DeviceView.prototype.fit = function () {
    this.sizeView();
    this.setBox({ x: this.full.x, y: this.full.y, w: this.full.w, h: this.full.h });
  };

  // factor < 1 zooms in; (fx, fy) is the fixed point, in drawing units.
  DeviceView.prototype.zoom = function (factor, fx, fy) {
    var b = this.box;
    var w = Math.min(this.full.w * 1.5, Math.max(this.full.w / 60, b.w * factor));
    var h = b.h * (w / b.w);
    if (fx === undefined) { fx = b.x + b.w / 2; fy = b.y + b.h / 2; }
    this.setBox({ x: fx - (fx - b.x) * (w / b.w), y: fy - (fy - b.y) * (h / b.h), w: w, h: h });
  };

  DeviceView.prototype.toDrawing = function (clientX, clientY) {
    var point = this.svg.createSVGPoint();
    point.x = clientX; point.y = clientY;
    var p = point.matrixTransform(this.svg.getScreenCTM().inverse());
    return [p.x, p.y];
  };

  DeviceView.prototype.bindZoom = function () {
    var self = this, svg = this.svg, drag = null;
    svg.addEventListener('wheel', function (e) {
      e.preventDefault();
      var p = self.toDrawing(e.clientX, e.clientY);
      self.zoom(e.deltaY < 0 ? 1 / 1.25 : 1.25, p[0], p[1]);
    }, { passive: false });
    svg.addEventListener('pointerdown', function (e) {
      if (e.button !== 0) return;
      drag = { x: e.clientX, y: e.clientY, box: self.box, moved: false, id: e.pointerId };
    });
    svg.addEventListener('pointermove', function (e) {
      if (!drag) return;
      var dx = e.clientX - drag.x, dy = e.clientY - drag.y;
      if (!drag.moved && Math.abs(dx) + Math.abs(dy) < 4) return;
      if (!drag.moved) { drag.moved = true; svg.setPointerCapture(drag.id); svg.classList.add('panning'); }
      var ratio = Math.max(self.box.w / svg.clientWidth, self.box.h / svg.clientHeight) || 1;
      self.setBox({ x: drag.box.x - dx * ratio, y: drag.box.y - dy * ratio, w: drag.box.w, h: drag.box.h });
    });
    function end() {
      if (drag && drag.moved) {
        svg.classList.remove('panning');
        self.suppressClick = true;
        setTimeout(function () { self.suppressClick = false; }, 0);
      }
      drag = null;
    }
    svg.addEventListener('pointerup', end);
    svg.addEventListener('pointercancel', end);
    svg.addEventListener('dblclick', function (e) {
      var p = self.toDrawing(e.clientX, e.clientY);
      self.zoom(e.shiftKey ? 2 : 0.5, p[0], p[1]);
    });
    // A new window size keeps the part of the package in sight.
    window.addEventListener('resize', function () {
      self.sizeView();
      self.setBox(self.box);
    });
  };

  // Brings a pin into the visible part of the drawing when zoomed in.
  DeviceView.prototype.reveal = function (i) {
    var c = this.pinCenters[i], b = this.box;
    if (!c || !b) return;
    if (c[0] < b.x || c[0] > b.x + b.w || c[1] < b.y || c[1] > b.y + b.h)
      this.setBox({ x: c[0] - b.w / 2, y: c[1] - b.h / 2, w: b.w, h: b.h });
  };

  // ---- hover, click, details -------------------------------------------------

  DeviceView.prototype.bindPinEvents = function (pane) {
    var self = this;
    function pinOf(e) {
      var t = e.target.closest && e.target.closest('.pin');
      return t ? +t.dataset.index : -1;
    }
    pane.addEventListener('mouseover', function (e) {
      var i = pinOf(e);
      if (i >= 0) self.showDetails(i, true);
    });
    pane.addEventListener('mouseleave', function () { self.showDetails(self.selected); });
    pane.addEventListener('click', function (e) {
      if (self.suppressClick) return;
      var i = pinOf(e);
      if (i >= 0) self.select(i, false);
    });
  };

  // Selects a port: its pin ringed, its details shown, its row marked in the
  // port table. `also` are further ports to ring (a control cell's ports).
  DeviceView.prototype.select = function (i, fromTable, also) {
    var self = this;
    if (this.selectedElements) this.selectedElements.forEach(function (e) { e.classList.remove('selected'); });
    this.selectedElements = [];
    this.selected = i;
    if (this.rings) this.rings.innerHTML = '';
    [i].concat(also || []).forEach(function (k, n) {
      var e = self.pinElements[k];
      if (!e) return;
      e.classList.add('selected');
      self.selectedElements.push(e);
      var c = self.pinCenters[k];
      if (c && self.rings)
        self.rings.insertAdjacentHTML('beforeend', '<circle class="focus-ring' + (n ? ' also' : '') + '" cx="' +
          c[0] + '" cy="' + c[1] + '" r="' + (self.device.layout.kind === 'grid' ? 11.5 : 10) + '"/>');
    });
    this.showDetails(i);
    if (fromTable) {
      this.reveal(i);
      var target = this.pinElements[i];
      if (target) (this.view || target).scrollIntoView({ block: 'nearest', behavior: 'auto' });
    }
    if (this.tables && this.tables.ports) this.tables.ports.mark(function (row) { return row === i; });
  };

  DeviceView.prototype.showDetails = function (i, hovering) {
    var m = this.model, box = this.details;
    if (!box) return;
    if (i < 0 || i === undefined) {
      box.innerHTML = '<h2>Pin details</h2><p class="empty-note">Hover over or click a pin, or click a row ' +
        'of a table.</p>';
      box.dataset.port = '';
      return;
    }
    var port = m.ports[i], d = this.driven[i];
    var rows = [
      ['label', 'port', port.label],
      ['port', 'name', port.port],
      ['index', 'index', port.vector_element ? port.index : '-'],
      ['pin_name', 'pin name', port.pin_name],
      ['pin_number', 'pin number', port.pin_number],
      ['role', 'role', ROLE_NAMES[this.role(i)]],
      ['type', 'type', port.type],
      ['direction', 'direction', port.direction],
      ['value', 'current value', port.value],
      ['port_value', 'port value', port.port_value],
      ['differential', 'differential', port.differential],
      ['driven', 'driven', d ? d.value + ' as ' + d.direction + ' (' + d.argument + ')' : null]
    ];
    var html = '<h2>' + esc(port.label) + (hovering && this.selected !== i ? ' <span class="note">(hover)</span>' : '') +
      '</h2><dl>' + rows.map(function (r) {
        return '<dt>' + esc(r[1]) + '</dt><dd data-key="' + r[0] + '">' + esc(show(r[2])) + '</dd>';
      }).join('') + '</dl>';
    if (port.cells.length) {
      html += '<table class="cells"><thead><tr><th>cell</th><th>function</th><th>safe</th><th>control</th>' +
        '<th>disable</th><th>value</th><th>bit</th></tr></thead><tbody>' + port.cells.map(function (n) {
          var c = m.cells[n];
          return '<tr data-cell="' + n + '"><td data-key="number">' + n + '</td><td data-key="function">' +
            esc(c.function) + '</td><td data-key="safe">' + esc(c.safe) + '</td><td data-key="control_cell">' +
            esc(show(c.control_cell)) + '</td><td data-key="disable_value">' + esc(show(c.disable_value)) +
            '</td><td data-key="value">' + esc(c.value) + '</td><td data-key="bit">' + esc(show(c.bit)) +
            '</td></tr>';
        }).join('') + '</tbody></table>';
    } else {
      html += '<p class="note">No boundary-scan cell.</p>';
    }
    html += findingList(this.findingsByPort[i]);
    box.innerHTML = html;
    box.dataset.port = port.label;
  };

  // ---- tables ----------------------------------------------------------------

  // A filterable table. `rows` are {cells: [html...], text, pick} objects;
  // a click on a row calls onPick(row.pick). Only the rows in sight are in
  // the document (thousands of cells would make the page slow to open):
  // two spacer rows stand for the others, every row being as high as the first
  // (ROW_HEIGHT until measured).
  var ROW_HEIGHT = 22, OVERSCAN = 30;

  function Table(name, columns, rows, onPick) {
    var self = this;
    this.rows = rows;
    this.marked = -1;
    this.rowHeight = ROW_HEIGHT;
    this.root = el('div', 'table-block');
    this.root.dataset.table = name;
    var bar = el('div', 'filter-bar');
    this.input = el('input');
    this.input.type = 'search';
    this.input.placeholder = 'Filter ' + name + ' (type any part of a row)';
    this.input.setAttribute('aria-label', 'Filter ' + name);
    this.count = el('span', 'count');
    bar.appendChild(this.input);
    bar.appendChild(this.count);
    this.root.appendChild(bar);
    // Column widths from the longest text of each column, so that they stay
    // put while rows come and go.
    var widths = columns.map(function (c) { return c.length; });
    rows.forEach(function (r) {
      r.plain.forEach(function (t, k) { if (t.length > widths[k]) widths[k] = t.length; });
    });
    this.wrap = el('div', 'table-wrap');
    this.wrap.innerHTML = '<table><colgroup>' + widths.map(function (w) {
      return '<col style="width:' + (Math.min(w, 48) + 3) + 'ch">';
    }).join('') + '</colgroup><thead><tr>' + columns.map(function (c) { return '<th>' + esc(c) + '</th>'; }).join('') +
      '</tr></thead><tbody></tbody></table>';
    this.root.appendChild(this.wrap);
    this.body = this.wrap.querySelector('tbody');
    this.texts = rows.map(function (r) { return r.text.toLowerCase(); });
    this.input.addEventListener('input', function () { self.filter(self.input.value); });
    this.wrap.addEventListener('scroll', function () {
      if (self.pending) return;
      self.pending = true;
      window.requestAnimationFrame(function () { self.pending = false; self.render(); });
    });
    this.wrap.addEventListener('click', function (e) {
      var tr = e.target.closest('tr[data-row]');
      if (tr) onPick(self.rows[+tr.dataset.row].pick);
    });
    this.filter('');
  }

  Table.prototype.filter = function (text) {
    var q = text.trim().toLowerCase();
    var shown = [];
    for (var k = 0; k < this.texts.length; ++k)
      if (!q || this.texts[k].indexOf(q) >= 0) shown.push(k);
    this.shown = shown;
    this.count.textContent = shown.length + ' of ' + this.rows.length + ' rows';
    this.count.dataset.shown = String(shown.length);
    this.wrap.scrollTop = 0;
    this.render();
  };

  Table.prototype.render = function () {
    var n = this.shown.length, top = this.wrap.scrollTop, sight = this.wrap.clientHeight || 800;
    var first = Math.max(0, Math.floor(top / this.rowHeight) - OVERSCAN);
    var last = Math.min(n, Math.ceil((top + sight) / this.rowHeight) + OVERSCAN);
    var html = '<tr class="spacer" style="height:' + first * this.rowHeight + 'px"></tr>';
    for (var k = first; k < last; ++k) {
      var row = this.shown[k];
      html += '<tr data-row="' + row + '"' + (row === this.marked ? ' class="selected"' : '') + '><td>' +
        this.rows[row].cells.join('</td><td>') + '</td></tr>';
    }
    html += '<tr class="spacer" style="height:' + (n - last) * this.rowHeight + 'px"></tr>';
    this.body.innerHTML = html;
    // The height the rows really have, once the table is in sight.
    if (!this.measured && last > first) {
      var height = this.body.querySelector('tr[data-row]').getBoundingClientRect().height;
      if (height > 0) {
        this.measured = true;
        if (Math.abs(height - this.rowHeight) > 0.01) { this.rowHeight = height; this.render(); }
      }
    }
  };

  // Marks the first row whose pick passes `test` and scrolls it into sight.
  Table.prototype.mark = function (test) {
    this.marked = -1;
    for (var k = 0; k < this.rows.length; ++k) {
      if (test(this.rows[k].pick)) { this.marked = k; break; }
    }
    var at = this.shown.indexOf(this.marked);
    if (at >= 0) {
      var y = at * this.rowHeight, sight = this.wrap.clientHeight;
      if (sight && (y < this.wrap.scrollTop || y > this.wrap.scrollTop + sight - 2 * this.rowHeight))
        this.wrap.scrollTop = Math.max(0, y - sight / 2);
    }
    this.render();
  };

  function rowOf(values, pick) {
    var plain = values.map(show);
    return { cells: plain.map(esc), plain: plain, text: plain.join(' '), pick: pick };
  }

  DeviceView.prototype.portRows = function () {
    var self = this;
    return this.model.ports.map(function (p, i) {
      var d = self.driven[i];
      var row = rowOf([p.label, p.pin_name, p.pin_number, p.type, ROLE_NAMES[self.role(i)], p.direction, p.value,
                       p.input_cell, p.output_cell, p.control_cell, p.observe_cell, p.differential,
                       d ? d.value : null], i);
      row.cells[4] = swatch(self.role(i)) + row.cells[4];
      return row;
    });
  };

  DeviceView.prototype.cellRows = function () {
    return this.model.cells.map(function (c) {
      return rowOf([c.number, c.type, c.function, c.port, c.pin_name, c.original_name, c.safe, c.control_cell,
                    c.disable_value, c.disabled_state, c.value, c.bit], c.number);
    });
  };

  DeviceView.prototype.instructionRows = function () {
    var ir = this.model.instruction_register, regs = this.model.registers || [];
    if (!ir) return [];
    return ir.instructions.map(function (ins, k) {
      var names = regs.filter(function (r) {
        return r.instructions.some(function (n) { return n.toUpperCase() === ins.name.toUpperCase(); });
      }).map(function (r) { return r.name; });
      return rowOf([ins.name, ins.opcodes.join(', '), names.join(', ') || null], k);
    });
  };

  DeviceView.prototype.pairRows = function () {
    return this.model.differential_pairs.map(function (p, k) {
      return rowOf([p.positive, p.negative, p.positive_cell, p.negative_cell], k);
    });
  };

  DeviceView.prototype.findingRows = function () {
    return (this.device.findings || []).map(function (f, k) {
      return rowOf([f.severity, f.line, f.rule, f.port || f.cell || null, f.message], k);
    });
  };

  DeviceView.prototype.renderTabs = function () {
    var self = this, m = this.model;
    this.tables = {};
    var specs = [
      ['ports', 'Ports', ['port', 'pin name', 'pin #', 'type', 'role', 'dir', 'value', 'in', 'out', 'ctl', 'obs',
                          'diff', 'driven'], function () { return self.portRows(); },
       function (row) { self.select(row, true); }],
      ['cells', 'Cells', ['cell', 'type', 'function', 'port', 'pin name', 'original name', 'safe', 'control',
                          'disable', 'disabled state', 'value', 'bit'], function () { return self.cellRows(); },
       function (row) { self.pickCell(row); }],
      ['instructions', 'Instructions', ['instruction', 'opcodes', 'registers'],
       function () { return self.instructionRows(); }, function () {}],
      ['pairs', 'Differential pairs', ['positive', 'negative', 'positive cell', 'negative cell'],
       function () { return self.pairRows(); },
       function (row) {
         var p = m.differential_pairs[row];
         var a = self.findPort(p.positive), b = self.findPort(p.negative);
         if (a !== undefined) self.select(a, true, b !== undefined ? [b] : []);
       }]
    ];
    if (this.device.findings)
      specs.push(['findings', 'Findings', ['severity', 'line', 'rule', 'concerns', 'message'],
                  function () { return self.findingRows(); },
                  function (row) {
                    var f = self.device.findings[row], i = self.findPort(f.port);
                    if (i !== undefined) self.select(i, true);
                  }]);
    var tabs = el('div', 'tabs');
    var bar = el('div', 'tab-bar');
    var panels = {};
    tabs.appendChild(bar);
    specs.forEach(function (spec) {
      var button = el('button', '', esc(spec[1]) + ' <span class="note">' + esc(countOf(spec[0])) + '</span>');
      button.dataset.tab = spec[0];
      bar.appendChild(button);
      var panel = el('div', 'tab-panel');
      panel.dataset.tab = spec[0];
      panel.hidden = true;
      tabs.appendChild(panel);
      panels[spec[0]] = panel;
      button.addEventListener('click', function () { self.openTab(spec[0]); });
    });
    function countOf(name) {
      if (name === 'ports') return m.ports.length;
      if (name === 'cells') return m.cells.length;
      if (name === 'instructions') return m.instruction_register ? m.instruction_register.instructions.length : 0;
      if (name === 'pairs') return m.differential_pairs.length;
      return (self.device.findings || []).length;
    }
    this.tabSpecs = specs;
    this.tabBar = bar;
    this.tabPanels = panels;
    this.section.appendChild(tabs);
    this.openTab('ports');
  };

  // Tables are made when their tab is first opened: the cell table of a
  // large device is thousands of rows the page need not build to open.
  DeviceView.prototype.openTab = function (name) {
    var self = this;
    this.tabSpecs.forEach(function (spec) {
      var open = spec[0] === name;
      self.tabPanels[spec[0]].hidden = !open;
      self.tabBar.querySelector('[data-tab="' + spec[0] + '"]').classList.toggle('active', open);
      if (open && !self.tables[name]) {
        var table = new Table(spec[0], spec[2], spec[3](), spec[4]);
        self.tables[name] = table;
        self.tabPanels[name].appendChild(table.root);
        if (name === 'ports' && self.selected >= 0) table.mark(function (r) { return r === self.selected; });
      }
    });
    return this.tables[name];
  };

  // A cell of a port selects that port; a control cell without port of its
  // own selects the ports it enables.
  DeviceView.prototype.pickCell = function (number) {
    var cell = this.model.cells[number];
    var i = cell && cell.port !== null ? this.findPort(cell.port) : undefined;
    if (i !== undefined) {
      this.select(i, true);
    } else if (this.controlled[number]) {
      var ports = this.controlled[number];
      this.select(ports[0], true, ports.slice(1));
    }
    if (this.tables.cells) this.tables.cells.mark(function (r) { return r === number; });
  };

  // ---- the page --------------------------------------------------------------

  // The chain's own header: its file, its devices in scan order (links to
  // their sections), the instruction bits.
  function chainHeader(chain, devices) {
    var head = el('header', 'chain-head');
    head.appendChild(el('h1', '', 'Chain <span class="chain-file">' + esc(chain.file) + '</span>'));
    var dl = el('dl', 'facts');
    dl.innerHTML = [['chain file', chain.file], ['devices', chain.devices], ['IR bits', chain.ir_bits]].map(function (f) {
      return '<div><dt>' + esc(f[0]) + '</dt><dd data-fact="' + esc(f[0]) + '">' + esc(f[1]) + '</dd></div>';
    }).join('');
    head.appendChild(dl);
    var order = el('ol', 'chain-order');
    order.innerHTML = devices.map(function (d, k) {
      var what = d.chain.bypass ? 'BYPASS, ir=' + d.chain.ir_length : !d.read.ok ? 'did not read' :
        (d.entity || '');
      return '<li><a href="#device-' + k + '" data-device="' + k + '">' + esc(d.chain.name) + '</a> <span class="note">' +
        esc(what) + '</span></li>';
    }).join('');
    head.appendChild(el('p', 'note', 'Scan order, from the board\u2019s TDI to its TDO:'));
    head.appendChild(order);
    return head;
  }

  function start() {
    var app = document.getElementById('app');
    var island = document.getElementById('bscan-view-data');
    var begun = performance.now();
    var api = window.bscanView = { ready: false, devices: [], timing: {} };
    var data = JSON.parse(island.textContent);
    api.timing.parse = performance.now() - begun;
    api.data = data;
    app.textContent = '';
    if (data.chain) app.appendChild(chainHeader(data.chain, data.devices));
    // The first section is drawn at once; on the page of a chain the others
    // when they come near the window (or when api.draw(k) asks), so that a
    // chain of large devices opens as fast as one of them.
    var placeholders = [];
    api.draw = function (k) {
      if (api.devices[k]) return api.devices[k];
      var drawing = performance.now();
      var view = new DeviceView(data.devices[k], k);
      api.devices[k] = view;
      app.replaceChild(view.section, placeholders[k]);
      view.section.dataset.drawn = 'true';
      if (view.svg) view.fit();
      api.timing['device' + k] = performance.now() - drawing;
      return view;
    };
    var observer = null;
    if (data.devices.length > 1 && window.IntersectionObserver) {
      observer = new IntersectionObserver(function (entries) {
        entries.forEach(function (e) {
          if (!e.isIntersecting) return;
          observer.unobserve(e.target);
          api.draw(+e.target.dataset.device);
        });
      }, { rootMargin: '300px 0px' });
    }
    data.devices.forEach(function (device, k) {
      var holder = el('section', 'device pending', '<p class="note">' +
        esc(device.chain ? device.chain.name + ' ' : '') + esc(device.entity || '') + ': drawn when it comes into sight\u2026</p>');
      holder.id = 'device-' + k;
      holder.dataset.device = String(k);
      placeholders[k] = holder;
      app.appendChild(holder);
    });
    api.devices.length = data.devices.length;
    data.devices.forEach(function (device, k) {
      if (k === 0 || !observer) api.draw(k);
      else observer.observe(placeholders[k]);
    });
    app.appendChild(el('p', 'note', esc(data.generator) + ': this page works offline and alone.'));
    api.timing.script = performance.now() - begun;
    api.ready = true;
    document.documentElement.dataset.ready = 'true';
  }

  start();
})();
