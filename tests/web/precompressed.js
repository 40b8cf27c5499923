// The precompressed module and loader of the web build: each .gz and .br decompresses to
// the bytes of its file, and the gzip files carry no name or time (the same bytes from
// every build of the same module).
//   node precompressed.js <site folder>
'use strict';
const assert = require('assert');
const fs = require('fs');
const path = require('path');
const zlib = require('zlib');

const site = process.argv[2];
/// Flag of a gzip header that says a file name follows; offset of its time stamp.
const GZIP_FNAME = 0x08;
const GZIP_MTIME_AT = 4;

for (const name of ['agvsim.wasm', 'agvsim.js']) {
  const plain = fs.readFileSync(path.join(site, name));
  const gz = fs.readFileSync(path.join(site, name + '.gz'));
  const br = fs.readFileSync(path.join(site, name + '.br'));
  assert.ok(zlib.gunzipSync(gz).equals(plain), `${name}.gz is not ${name}`);
  assert.ok(zlib.brotliDecompressSync(br).equals(plain), `${name}.br is not ${name}`);
  assert.ok(gz.length < plain.length && br.length < plain.length, `${name}: nothing gained`);
  assert.strictEqual(gz[3] & GZIP_FNAME, 0, `${name}.gz names its file`);
  assert.strictEqual(gz.readUInt32LE(GZIP_MTIME_AT), 0, `${name}.gz carries a time`);
}
console.log('precompressed files: ok');
