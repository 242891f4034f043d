// Reading PNG pictures (8-bit grey, RGB or RGBA, not interlaced: what the
// browser's screenshots and the references are) and comparing them by the
// golden test's rule.
import {inflateSync} from 'node:zlib';
import {readFileSync} from 'node:fs';

// {width, height, rgb}: the pixels as RGB bytes, top row first.
export function readPng(bytes) {
  if (typeof bytes === 'string') bytes = readFileSync(bytes);
  const chunks = [];
  let width = 0, height = 0, type = 0;
  for (let at = 8; at < bytes.length;) {
    const length = bytes.readUInt32BE(at);
    const name = bytes.toString('latin1', at + 4, at + 8);
    const body = bytes.subarray(at + 8, at + 8 + length);
    if (name === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      type = body[9];
      if (body[8] !== 8 || body[12] !== 0 || ![0, 2, 6].includes(type)) throw new Error('unsupported PNG');
    } else if (name === 'IDAT') {
      chunks.push(body);
    }
    at += 12 + length;
  }
  const channels = {0: 1, 2: 3, 6: 4}[type];
  const raw = inflateSync(Buffer.concat(chunks));
  const stride = width * channels;
  const pixels = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let x = 0; x < stride; ++x) {
      const left = x >= channels ? pixels[y * stride + x - channels] : 0;
      const up = y > 0 ? pixels[(y - 1) * stride + x] : 0;
      const corner = x >= channels && y > 0 ? pixels[(y - 1) * stride + x - channels] : 0;
      let predicted = 0;
      if (filter === 1) predicted = left;
      else if (filter === 2) predicted = up;
      else if (filter === 3) predicted = (left + up) >> 1;
      else if (filter === 4) {
        const p = left + up - corner;
        const [pa, pb, pc] = [Math.abs(p - left), Math.abs(p - up), Math.abs(p - corner)];
        predicted = pa <= pb && pa <= pc ? left : pb <= pc ? up : corner;
      }
      pixels[y * stride + x] = (line[x] + predicted) & 0xFF;
    }
  }
  const rgb = Buffer.alloc(width * height * 3);
  for (let i = 0; i < width * height; ++i) {
    for (let c = 0; c < 3; ++c) rgb[i * 3 + c] = pixels[i * channels + (channels === 1 ? 0 : c)];
  }
  return {width, height, rgb};
}

// How many pixels differ by more than `limit` in any of red, green and blue.
export function differingPixels(actual, expected, limit = 8) {
  if (actual.width !== expected.width || actual.height !== expected.height)
    return actual.width * actual.height;
  let over = 0;
  for (let i = 0; i < actual.rgb.length; i += 3) {
    const largest = Math.max(Math.abs(actual.rgb[i] - expected.rgb[i]), Math.abs(actual.rgb[i + 1] - expected.rgb[i + 1]),
      Math.abs(actual.rgb[i + 2] - expected.rgb[i + 2]));
    if (largest > limit) ++over;
  }
  return over;
}
