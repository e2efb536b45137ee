// Inputs of the differential test (tests/differential_windows.sh), written
// into the current folder from the EUC-JP table given:
//   all.txt   every code the table names, one per line (CR LF), but the
//             bytes that end a line or the text (LF, CR, 0x1A)
//   mixed.txt `megabytes` of ASCII, half-width kana and double-byte
//             characters with CR LF and bare LF line ends, a 0x1A near the end
// node differential_inputs.js <MS932~EUC-JP.bin> <megabytes>
'use strict';
const fs = require('fs');
const table = fs.readFileSync(process.argv[2]);
const megabytes = Number(process.argv[3] || 10);
const records = table.length / 4;
const singles = [];
const doubles = [];
for (let n = 0; n < records; ++n) {
  const b0 = table[n * 4], b1 = table[n * 4 + 1];
  if (n < 158) {
    if (b0 !== 0x0a && b0 !== 0x0d && b0 !== 0x1a) singles.push(Buffer.from([b0]));
  } else {
    doubles.push(Buffer.from([b0, b1]));
  }
}
const lines = [];
for (const code of singles.concat(doubles)) lines.push(code, Buffer.from('\r\n'));
fs.writeFileSync('all.txt', Buffer.concat(lines));

// A fixed sequence, so that both runs and every run see the same text.
let seed = 12345;
const next = (limit) => {
  seed = (seed * 1103515245 + 12345) % 2147483648;
  return seed % limit;
};
const size = Math.round(megabytes * 1e6);
const text = Buffer.alloc(size);
let at = 0;
while (at < size - 2) {
  const kind = next(10);
  if (kind < 5) {
    text[at++] = 0x20 + next(95);
  } else if (kind < 6) {
    text[at++] = 0xa1 + next(63);
  } else if (kind < 9) {
    const code = doubles[next(doubles.length)];
    text[at++] = code[0];
    text[at++] = code[1];
  } else if (next(2) === 0) {
    text[at++] = 0x0d;
    text[at++] = 0x0a;
  } else {
    text[at++] = 0x0a;
  }
}
while (at < size) text[at++] = 0x41;
text[size - 100] = 0x1a;
fs.writeFileSync('mixed.txt', text);
