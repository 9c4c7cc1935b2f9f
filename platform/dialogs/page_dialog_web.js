// The program's dialogs and message boxes as HTML dialogs over the canvas
// (page_dialog_web.h). The program places every part; the page draws them,
// keeps the keys and clicks inside from reaching the game (SDL listens on the
// document) and tells the program what the player did.
mergeInto(LibraryManager.library, {
  $kestrovaDialogs: {
    open: {},
    // Set while the program itself moves the focus: only the player's moves are told.
    quiet: 0,
    // The frame: a border round the client area and a caption bar above it.
    border: 1,
    caption: 20,
    families: {
      'MS Sans Serif': '"MS Sans Serif", "Microsoft Sans Serif", Tahoma, Arial, "Liberation Sans", "DejaVu Sans", sans-serif',
      'Courier New': '"Courier New", "Liberation Mono", "DejaVu Sans Mono", "Noto Sans Mono", monospace',
    },
    font: function (family, pixels) {
      var list = kestrovaDialogs.families[family] || ('"' + family + '", sans-serif');
      return pixels + 'px ' + list;
    },
    measurer: null,
    context: function (family, pixels) {
      if (!kestrovaDialogs.measurer) kestrovaDialogs.measurer = document.createElement('canvas').getContext('2d');
      kestrovaDialogs.measurer.font = kestrovaDialogs.font(family, pixels);
      return kestrovaDialogs.measurer;
    },
    bytes: function (text) { return new TextEncoder().encode(text).length; },
    addStyle: function () {
      if (document.getElementById('kestrova-dialog-style')) return;
      var d = kestrovaDialogs;
      var style = document.createElement('style');
      style.id = 'kestrova-dialog-style';
      style.textContent = [
        'dialog.kd { position: fixed; margin: 0; padding: 0; box-sizing: border-box; border: ' + d.border + 'px solid #000;',
        '  background: #c0c0c0; color: #000; overflow: hidden; outline: none; }',
        'dialog.kd::backdrop { background: transparent; }',
        '.kd-caption { position: absolute; left: 0; right: 0; top: 0; height: ' + d.caption + 'px; background: #000080;',
        '  color: #fff; font: bold 12px sans-serif; line-height: ' + d.caption + 'px; padding-left: 4px;',
        '  white-space: pre; overflow: hidden; user-select: none; }',
        '.kd-close { position: absolute; right: 2px; top: 2px; width: 18px; height: ' + (d.caption - 4) + 'px; padding: 0;',
        '  font: bold 12px sans-serif; line-height: 1; background: #c0c0c0; color: #000; border: 1px outset #fff; }',
        '.kd-client { position: absolute; left: 0; top: ' + d.caption + 'px; right: 0; bottom: 0; }',
        '.kd-client > * { position: absolute; box-sizing: border-box; margin: 0; font: inherit; }',
        '.kd-static { white-space: pre; overflow: hidden; }',
        '.kd-edit { border: 1px solid #808080; background: #fff; color: #000; padding: 0 1px; outline: none; }',
        '.kd-button { background: #c0c0c0; color: #000; border: 2px outset #fff; padding: 0; }',
        '.kd-button:active { border-style: inset; }',
        // The default look follows the focus among buttons, as Enter does.
        '.kd-button.kd-default, .kd-button:focus { outline: 1px solid #000; }',
        'dialog.kd:has(.kd-button:focus) .kd-button.kd-default:not(:focus) { outline: none; }',
        '.kd-button:focus-visible { outline: 1px solid #000; box-shadow: inset 0 0 0 3px #c0c0c0, inset 0 0 0 4px #000; }',
        '.kd-icon { border-radius: 50%; background: #e00000; color: #fff; font: bold 24px sans-serif;',
        '  text-align: center; line-height: 32px; }',
      ].join('\n');
      document.head.appendChild(style);
    },
    // Typing and pasting take only as much as fits in the limit, in whole characters.
    keepLimit: function (edit) {
      var d = kestrovaDialogs, now = edit.value, before = edit.kdLast;
      if (d.bytes(now) > edit.kdLimit) {
        var p = 0, s = 0;
        while (p < before.length && p < now.length && before[p] === now[p]) ++p;
        while (s < before.length - p && s < now.length - p &&
               before[before.length - 1 - s] === now[now.length - 1 - s]) ++s;
        var head = before.slice(0, p), tail = before.slice(before.length - s);
        var room = edit.kdLimit - d.bytes(head + tail), typed = '';
        for (var ch of now.slice(p, now.length - s)) {
          var n = d.bytes(ch);
          if (n > room) break;
          typed += ch;
          room -= n;
        }
        edit.value = head + typed + tail;
        edit.setSelectionRange(p + typed.length, p + typed.length);
      }
      edit.kdLast = edit.value;
    },
  },

  kestrova_page_dialog_open__deps: ['$kestrovaDialogs'],
  kestrova_page_dialog_open: function (token, caption, family, pixels, x, y, width, height, closeBox, listener) {
    var d = kestrovaDialogs;
    d.addStyle();
    var tell = function (event, value) { wasmTable.get(listener)(token, event, value); };
    var dialog = document.createElement('dialog');
    dialog.className = 'kd';
    dialog.tabIndex = -1;
    dialog.style.left = x + 'px';
    dialog.style.top = y + 'px';
    dialog.style.width = width + 'px';
    dialog.style.height = height + 'px';
    var bar = document.createElement('div');
    bar.className = 'kd-caption';
    bar.textContent = UTF8ToString(caption);
    dialog.appendChild(bar);
    if (closeBox) {
      var close = document.createElement('button');
      close.className = 'kd-close';
      close.tabIndex = -1;
      close.textContent = '\u00d7';
      close.setAttribute('aria-label', 'Close');
      close.addEventListener('click', function () { tell(3, 0); });
      dialog.appendChild(close);
    }
    var client = document.createElement('div');
    client.className = 'kd-client';
    client.style.font = d.font(UTF8ToString(family), pixels);
    dialog.appendChild(client);
    dialog.addEventListener('keydown', function (e) {
      // Enter ending an IME composition belongs to the composition.
      if (e.key === 'Enter' && !e.isComposing && e.keyCode !== 229) {
        e.preventDefault();
        tell(2, 0x0D);
      } else if (e.key === 'Escape' && !e.isComposing) {
        e.preventDefault();
        tell(2, 0x1B);
      }
      e.stopPropagation();
    });
    // Esc is told above; the browser's own closing would leave the program waiting.
    dialog.addEventListener('cancel', function (e) { e.preventDefault(); });
    ['keyup', 'keypress', 'mousedown', 'mouseup', 'mousemove', 'click', 'dblclick', 'wheel', 'contextmenu',
     'pointerdown', 'pointerup', 'pointermove', 'touchstart', 'touchend', 'touchmove'].forEach(function (type) {
      dialog.addEventListener(type, function (e) { e.stopPropagation(); });
    });
    d.open[token] = { dialog: dialog, client: client, parts: {}, tell: tell };
  },

  kestrova_page_dialog_add__deps: ['$kestrovaDialogs'],
  kestrova_page_dialog_add: function (token, part, id, text, x, y, width, height, isDefault, limit) {
    var d = kestrovaDialogs, box = d.open[token];
    if (!box) return;
    var el;
    text = UTF8ToString(text);
    if (part === 0) {
      el = document.createElement('input');
      el.type = 'text';
      el.className = 'kd-edit';
      el.spellcheck = false;
      el.autocomplete = 'off';
      el.value = text;
      el.kdLast = text;
      el.kdLimit = limit;
      el.addEventListener('input', function (e) { if (!e.isComposing) d.keepLimit(el); });
      el.addEventListener('compositionend', function () { d.keepLimit(el); });
    } else if (part === 1) {
      el = document.createElement('button');
      el.type = 'button';
      el.className = 'kd-button' + (isDefault ? ' kd-default' : '');
      el.textContent = text;
      el.addEventListener('click', function () { box.tell(1, id); });
    } else if (part === 2) {
      el = document.createElement('div');
      el.className = 'kd-static';
      el.textContent = text;
    } else {
      el = document.createElement('div');
      el.className = 'kd-icon';
      el.textContent = '\u2715';
      el.setAttribute('role', 'img');
      el.setAttribute('aria-label', 'Error');
    }
    el.style.left = x + 'px';
    el.style.top = y + 'px';
    el.style.width = width + 'px';
    el.style.height = height + 'px';
    if (part === 0 || part === 1) {
      el.addEventListener('focus', function () { if (!d.quiet) box.tell(4, id); });
    }
    if (id) box.parts[id] = el;
    box.client.appendChild(el);
  },

  kestrova_page_dialog_show__deps: ['$kestrovaDialogs'],
  kestrova_page_dialog_show: function (token, shown) {
    var d = kestrovaDialogs, box = d.open[token];
    if (!box) return;
    ++d.quiet;
    try {
      if (shown && !box.dialog.open) {
        document.body.appendChild(box.dialog);
        box.dialog.showModal();
        // The program gives the focus to a part itself, if to any.
        box.dialog.focus();
      } else if (!shown && box.dialog.open) {
        box.dialog.close();
      }
    } finally {
      --d.quiet;
    }
  },

  kestrova_page_dialog_focus__deps: ['$kestrovaDialogs'],
  kestrova_page_dialog_focus: function (token, id) {
    var d = kestrovaDialogs, box = d.open[token];
    if (!box) return;
    var el = id ? box.parts[id] : box.dialog;
    if (!el) return;
    ++d.quiet;
    try { el.focus(); } finally { --d.quiet; }
  },

  kestrova_page_dialog_set_text__deps: ['$kestrovaDialogs'],
  kestrova_page_dialog_set_text: function (token, id, text) {
    var box = kestrovaDialogs.open[token], el = box && box.parts[id];
    if (!el) return;
    text = UTF8ToString(text);
    if (el.tagName === 'INPUT') {
      el.value = text;
      el.kdLast = text;
    } else {
      el.textContent = text;
    }
  },

  kestrova_page_dialog_text__deps: ['$kestrovaDialogs', '$stringToNewUTF8'],
  kestrova_page_dialog_text: function (token, id) {
    var box = kestrovaDialogs.open[token], el = box && box.parts[id];
    if (!el) return 0;
    return stringToNewUTF8(el.tagName === 'INPUT' ? el.value : el.textContent);
  },

  kestrova_page_dialog_close__deps: ['$kestrovaDialogs'],
  kestrova_page_dialog_close: function (token) {
    var d = kestrovaDialogs, box = d.open[token];
    if (!box) return;
    delete d.open[token];
    ++d.quiet;
    try {
      if (box.dialog.open) box.dialog.close();
      box.dialog.remove();
    } finally {
      --d.quiet;
    }
    if (Object.keys(d.open).length === 0 && Module['canvas']) Module['canvas'].focus();
  },

  kestrova_page_frame__deps: ['$kestrovaDialogs'],
  kestrova_page_frame: function (insets) {
    var d = kestrovaDialogs;
    HEAP32[(insets >> 2) + 0] = d.border;
    HEAP32[(insets >> 2) + 1] = d.border + d.caption;
    HEAP32[(insets >> 2) + 2] = d.border;
    HEAP32[(insets >> 2) + 3] = d.border;
  },

  kestrova_page_area: function (area) {
    var canvas = Module['canvas'];
    var r = canvas ? canvas.getBoundingClientRect() : { left: 0, top: 0, width: 0, height: 0 };
    var values = [0, 0, window.innerWidth, window.innerHeight, Math.round(r.left), Math.round(r.top),
                  Math.round(r.width), Math.round(r.height), canvas && r.width > 0 && r.height > 0 ? 1 : 0];
    for (var i = 0; i < values.length; ++i) HEAP32[(area >> 2) + i] = values[i];
  },

  kestrova_page_text_width__deps: ['$kestrovaDialogs'],
  kestrova_page_text_width: function (family, pixels, text) {
    var context = kestrovaDialogs.context(UTF8ToString(family), pixels);
    return Math.ceil(context.measureText(UTF8ToString(text)).width);
  },

  kestrova_page_line_height__deps: ['$kestrovaDialogs'],
  kestrova_page_line_height: function (family, pixels) {
    var m = kestrovaDialogs.context(UTF8ToString(family), pixels).measureText('Ag');
    return Math.ceil(m.fontBoundingBoxAscent + m.fontBoundingBoxDescent);
  },
});
