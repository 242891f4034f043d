// The page in headless Chromium, in real time at 640 x 480: the time from
// opening the page on loopback to the first frame on screen, and the frame
// times while the presentation plays, on two renderers: SwiftShader (the
// browser's own, without a GPU) and the machine's Mesa llvmpipe through
// ANGLE on EGL (the native headless backend's rasterizer). Also the site's
// sizes. Prints key=value lines; bench/run puts them beside the native
// frame time of the same run.
//   node bench/web.mjs SITE [SECONDS [RENDERER,...]]
// SECONDS 0 (the default) plays the whole presentation; the renderers are
// swiftshader and llvmpipe (both by default).
import {readdirSync, readFileSync, statSync} from 'node:fs';
import {join} from 'node:path';
import {gzipSync} from 'node:zlib';
import {launch, openPage, serve, waitForBody} from '../tests/web/Browser.mjs';

const site = process.argv[2];
const seconds = Number(process.argv[3] || 0);  // 0: the whole presentation
// Frames as fast as the renderer allows, not at the display's rate.
const unpaced = ['--disable-frame-rate-limit', '--disable-gpu-vsync'];
const allRenderers = {
  swiftshader: [],
  llvmpipe: ['--use-gl=angle', '--use-angle=gl-egl', '--ignore-gpu-blocklist'],
};
const chosen = (process.argv[4] || Object.keys(allRenderers).join(',')).split(',');
const renderers = Object.fromEntries(Object.entries(allRenderers).filter(([name]) => chosen.includes(name)));

function quantile(values, q) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted.length ? sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))] : NaN;
}

function files(folder) {
  return readdirSync(folder, {withFileTypes: true}).flatMap(entry =>
    entry.isDirectory() ? files(join(folder, entry.name)) : [join(folder, entry.name)]);
}

const sizes = {wasm: [], script: [], page: [], data: []};
for (const file of files(site)) {
  const kind = file.endsWith('.wasm') ? 'wasm' : file.endsWith('salute.js') ? 'script'
    : file.includes('/data/') ? 'data' : 'page';
  sizes[kind].push([statSync(file).size, gzipSync(readFileSync(file), {level: 9}).length]);
}
for (const [kind, list] of Object.entries(sizes)) {
  console.log(`${kind}_bytes=${list.reduce((sum, size) => sum + size[0], 0)}`);
  console.log(`${kind}_gzip_bytes=${list.reduce((sum, size) => sum + size[1], 0)}`);
}

const server = await serve(site);
try {
  for (const [name, args] of Object.entries(renderers)) {
    const browser = await launch({extraArgs: [...args, ...unpaced]});
    try {
      // Opening to first frame, three times (the first page also starts the
      // browser's drawing process); the median.
      const firsts = [];
      const steps = [];
      for (let run = 0; run < 3; ++run) {
        const page = await openPage(browser, server.url + '?autoplay=1');
        await waitForBody(page, 'firstFrame');
        firsts.push(Number(await page.evaluate(() => document.body.dataset.firstFrame)));
        steps.push(await page.evaluate(() => ['salute-ready', 'salute-main']
          .map(mark => performance.getEntriesByName(mark)[0].startTime.toFixed(0)).join('/')));
        await page.close();
      }
      const page = await openPage(browser, server.url + '?autoplay=1');
      const renderer = await page.evaluate(() => {
        const gl = document.createElement('canvas').getContext('webgl2');
        const info = gl && gl.getExtension('WEBGL_debug_renderer_info');
        return info ? gl.getParameter(info.UNMASKED_RENDERER_WEBGL) : 'unknown';
      });
      await waitForBody(page, 'firstFrame');
      if (seconds > 0) await new Promise(resolve => setTimeout(resolve, seconds * 1000));
      else await waitForBody(page, 'ended', '1', 300000);
      const times = await page.evaluate(() => window.saluteFrameTimes);
      await page.close();
      // Frames after the first second, as the native frame benchmark counts.
      const intervals = times.slice(1).map((time, i) => time - times[i]).filter((_, i) => times[i + 1] - times[0] > 1000);
      const median = quantile(intervals, 0.5);
      console.log(`${name}_renderer=${renderer}`);
      console.log(`${name}_first_frame_ms=${quantile(firsts, 0.5).toFixed(0)}`);
      console.log(`${name}_first_frame_runs_ms=${firsts.map(first => first.toFixed(0)).join(',')}`);
      console.log(`${name}_data_ready_and_main_ms=${steps.join(',')}`);
      console.log(`${name}_frames=${intervals.length}`);
      console.log(`${name}_frame_median_ms=${median.toFixed(2)}`);
      console.log(`${name}_frame_p99_ms=${quantile(intervals, 0.99).toFixed(2)}`);
      console.log(`${name}_fps_median=${(1000 / median).toFixed(1)}`);
      console.log(`${name}_ended_by_itself=${seconds > 0 ? 'not waited for' : 'yes'}`);
    } finally {
      await browser.end();
    }
  }
} finally {
  await server.close();
}
