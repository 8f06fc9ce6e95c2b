#include "lookupscript.h"

namespace quorvel {

namespace {

const char* script = R"JS(
"use strict";
const K = [
  0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
  0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
  0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
  0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
  0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
  0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
  0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
  0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2];

function rotr(x, n) { return (x >>> n) | (x << (32 - n)); }

function sha256(bytes) {
  const n = ((bytes.length + 9 + 63) >> 6) << 6;
  const m = new Uint8Array(n);
  m.set(bytes);
  m[bytes.length] = 0x80;
  const view = new DataView(m.buffer);
  const bits = bytes.length * 8;
  view.setUint32(n - 8, Math.floor(bits / 4294967296));
  view.setUint32(n - 4, bits >>> 0);
  let H = [0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
           0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19];
  const w = new Uint32Array(64);
  for (let o = 0; o < n; o += 64) {
    for (let i = 0; i < 16; i++) w[i] = view.getUint32(o + i * 4);
    for (let i = 16; i < 64; i++) {
      const s0 = rotr(w[i - 15], 7) ^ rotr(w[i - 15], 18) ^ (w[i - 15] >>> 3);
      const s1 = rotr(w[i - 2], 17) ^ rotr(w[i - 2], 19) ^ (w[i - 2] >>> 10);
      w[i] = (w[i - 16] + s0 + w[i - 7] + s1) >>> 0;
    }
    let [a, b, c, d, e, f, g, h] = H;
    for (let i = 0; i < 64; i++) {
      const t1 = (h + (rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25)) + ((e & f) ^ (~e & g)) +
                  K[i] + w[i]) >>> 0;
      const t2 = ((rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c))) >>> 0;
      h = g; g = f; f = e; e = (d + t1) >>> 0; d = c; c = b; b = a; a = (t1 + t2) >>> 0;
    }
    H = [H[0] + a, H[1] + b, H[2] + c, H[3] + d, H[4] + e, H[5] + f, H[6] + g, H[7] + h]
          .map(x => x >>> 0);
  }
  return H.map(x => x.toString(16).padStart(8, "0")).join("");
}

function digestOf(name, number) {
  return sha256(new TextEncoder().encode(LOOKUP.salt + "\n" + name + "\n" + number));
}

function lookUp(name, number) {
  const out = document.getElementById("result");
  name = name.trim();
  number = number.trim();
  if (!name || !number) {
    out.className = "refused";
    out.textContent = "请输入姓名和编号。";
    return;
  }
  const k = LOOKUP.digests[digestOf(name, number)];
  if (k === undefined) {
    out.className = "refused";
    out.textContent = "没有查到：姓名或编号不对，请核对后再查。";
    return;
  }
  const c = LOOKUP.classes[k];
  out.className = "found";
  out.textContent = name + "同学分在" + c.name + (c.teacher ? "，班主任：" + c.teacher : "") + "。";
}

document.getElementById("form").addEventListener("submit", event => {
  event.preventDefault();
  lookUp(document.getElementById("name").value, document.getElementById("number").value);
});

if (location.hash.length > 1) {
  const q = new URLSearchParams(location.hash.slice(1));
  document.getElementById("name").value = q.get("name") || "";
  document.getElementById("number").value = q.get("number") || "";
  lookUp(q.get("name") || "", q.get("number") || "");
}
)JS";

} // namespace

QString lookupScript()
{
    return QString::fromUtf8(script);
}

} // namespace quorvel
