// A small static server for the built site, on 127.0.0.1 only: `node web/serve.js DIR [PORT]`
// prints the address and serves until stopped. The browser tests start it on a free port.
'use strict';

const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');

const kTypes = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.svg': 'image/svg+xml',
  '.png': 'image/png',
};

// Resolves with {server, url}; port 0 takes a free one.
function serve(root, port = 0) {
  const base = path.resolve(root);
  const server = http.createServer((request, response) => {
    let name;
    try {
      name = decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname);
    } catch {
      response.writeHead(400).end();
      return;
    }
    if (name.endsWith('/')) name += 'index.html';
    const file = path.join(base, path.normalize(name));
    // Nothing outside the site's folder, whatever the path says.
    if (file !== base && !file.startsWith(base + path.sep)) {
      response.writeHead(403).end();
      return;
    }
    if (request.method !== 'GET' && request.method !== 'HEAD') {
      response.writeHead(405).end();
      return;
    }
    fs.readFile(file, (error, data) => {
      if (error) {
        response.writeHead(404, {'Content-Type': 'text/plain'}).end('Not found\n');
        return;
      }
      const type = kTypes[path.extname(file)] || 'application/octet-stream';
      response.writeHead(200, {'Content-Type': type, 'Cache-Control': 'no-cache'});
      response.end(request.method === 'HEAD' ? undefined : data);
    });
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port, '127.0.0.1', () => {
      resolve({server, url: `http://127.0.0.1:${server.address().port}/`});
    });
  });
}

module.exports = {serve};

if (require.main === module) {
  const [root, port] = process.argv.slice(2);
  if (!root) {
    console.error('usage: node serve.js DIR [PORT]');
    process.exit(2);
  }
  serve(root, Number(port || 0)).then(({url}) => {
    console.log(`Serving ${path.resolve(root)} at ${url} (Ctrl+C stops)`);
  }, (error) => {
    console.error(`serve.js: ${error.message}`);
    process.exit(1);
  });
}
