// A static server for a built folder as a web server with compression would
// serve it: text and WebAssembly gzipped (level 6, zlib's default), other
// files (the sound font) as they are. Each file is compressed once, when first
// asked for, and kept, as a server with precompressed files would; warm()
// does that ahead of a measurement. Every response is logged with the bytes
// its body took on the wire, when it was finished, and whether a worker
// script asked for it (a service worker's fetch names the worker as referrer).
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';

const types = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.mjs': 'text/javascript',
  '.wasm': 'application/wasm', '.json': 'application/json', '.css': 'text/css', '.txt': 'text/plain; charset=utf-8',
};
const compressed = new Set(['.html', '.js', '.mjs', '.wasm', '.json', '.css', '.txt']);

export class GzipServer {
  constructor(root) {
    this.root = path.resolve(root);
    // { path, status, bytes, gzip, finished (ms since the epoch), byWorker, tag }
    this.log = [];
    this.tag = '';
    this.kept = new Map();
    this.server = http.createServer((req, res) => this.answer(req, res));
  }

  listen() {
    return new Promise((resolve) => this.server.listen(0, '127.0.0.1', () => resolve(this)));
  }

  get url() { return `http://127.0.0.1:${this.server.address().port}/`; }

  close() {
    this.server.closeAllConnections?.();
    return new Promise((resolve) => this.server.close(resolve));
  }

  // The file a request names, or null for one outside the root.
  fileOf(asked) {
    const relative = path.normalize(decodeURIComponent(asked.split('?')[0])).replace(/^\/+/, '');
    const file = path.join(this.root, relative || 'index.html');
    return file === this.root || !file.startsWith(this.root + path.sep) ? null : file;
  }

  // The body to send for `file`, compressed when its type is; kept per file.
  body(file) {
    const stat = fs.statSync(file);
    const key = `${file}:${stat.size}:${stat.mtimeMs}`;
    let kept = this.kept.get(file);
    if (!kept || kept.key !== key) {
      const data = fs.readFileSync(file);
      const gzip = compressed.has(path.extname(file));
      kept = { key, gzip, data: gzip ? zlib.gzipSync(data, { level: 6 }) : data };
      this.kept.set(file, kept);
    }
    return kept;
  }

  // Compresses every file of the root ahead of the requests.
  warm() {
    for (const name of fs.readdirSync(this.root)) {
      const file = path.join(this.root, name);
      if (fs.statSync(file).isFile()) this.body(file);
    }
  }

  answer(req, res) {
    const referrer = req.headers.referer ? new URL(req.headers.referer).pathname : '';
    const entry = { path: req.url, status: 0, bytes: 0, gzip: false, finished: 0, byWorker: referrer.endsWith('.js'), tag: this.tag };
    this.log.push(entry);
    res.on('finish', () => { entry.finished = performance.timeOrigin + performance.now(); });
    const send = (status, headers, data) => {
      entry.status = status;
      entry.bytes = data.length;
      res.writeHead(status, { ...headers, 'Content-Length': data.length }).end(data);
    };
    const file = this.fileOf(req.url);
    if (!file) return send(403, {}, Buffer.alloc(0));
    let kept;
    try {
      kept = this.body(file);
    } catch {
      return send(404, {}, Buffer.alloc(0));
    }
    const type = types[path.extname(file)] ?? 'application/octet-stream';
    if (kept.gzip && /\bgzip\b/.test(req.headers['accept-encoding'] ?? '')) {
      entry.gzip = true;
      return send(200, { 'Content-Type': type, 'Content-Encoding': 'gzip', Vary: 'Accept-Encoding' }, kept.data);
    }
    // A client that takes no gzip gets the file as it is.
    return send(200, { 'Content-Type': type }, kept.gzip ? zlib.gunzipSync(kept.data) : kept.data);
  }
}
