// Decodes a file with the WHATWG decoder of the given encoding and prints
// the text as UTF-8: node decode.js euc-jp FILE
const fs = require('fs');
const [encoding, file] = process.argv.slice(2);
const text = new TextDecoder(encoding, { fatal: true }).decode(fs.readFileSync(file));
process.stdout.write(Buffer.from(text, 'utf8'));
