// The presentation's page in a real browser (headless Chromium, WebGL 2 on
// SwiftShader), served from build-web/site/ by a server of the test's own:
// the golden frames on the virtual frame clock, the keys, the music, the
// start and end screens against their references, and what the page says
// when something is missing. Run by ./test.sh --web.
// SALUTE_BLESS_WEB=1 remakes the screen references (look at them).
import {after, before, describe, test} from 'node:test';
import assert from 'node:assert/strict';
import {execFileSync} from 'node:child_process';
import {copyFileSync, mkdirSync} from 'node:fs';
import {dirname, join} from 'node:path';
import {fileURLToPath} from 'node:url';
import {launch, openPage, serve, waitForBody} from './Browser.mjs';
import {differingPixels, readPng} from './Png.mjs';

const source = join(dirname(fileURLToPath(import.meta.url)), '..', '..');
const site = join(source, 'build-web', 'site');
const failures = join(source, 'build-web', 'test-failures');
const references = join(source, 'tests', 'web', 'reference');
const bless = !!process.env.SALUTE_BLESS_WEB && process.env.SALUTE_BLESS_WEB !== '0';

// The golden test's rule and references (tests/golden/README.md): frame N
// of the 4 fps virtual clock shows presentation time N / 4.
const goldenFrames = {1: 'at-0.1.png', 51: 'at-12.6.png', 201: 'at-50.2.png', 391: 'at-97.6.png'};
const allowedPixels = 200;

// A screenshot of the canvas (or the page) compared with a reference; on a
// mismatch it is kept in build-web/test-failures/.
async function expectPicture(page, reference, clip, context) {
  mkdirSync(failures, {recursive: true});
  const shot = join(failures, 'actual-' + reference.split('/').pop());
  await page.screenshot({path: shot, clip});
  if (bless && reference.startsWith(references)) {
    copyFileSync(shot, reference);
    return;
  }
  const over = differingPixels(readPng(shot), readPng(reference));
  context?.diagnostic(over + ' pixels differ from ' + reference.split('/').pop());
  assert.ok(over <= allowedPixels, over + ' pixels differ from ' + reference + '; see ' + shot);
}

async function canvasBox(page) {
  return page.$eval('#canvas', canvas => {
    const box = canvas.getBoundingClientRect();
    return {x: box.x, y: box.y, width: box.width, height: box.height};
  });
}

describe('the page in Chromium', () => {
  let server;
  let browser;
  before(async () => {
    server = await serve(site);
    browser = await launch();
  });
  after(async () => {
    await browser?.end();
    await server?.close();
  });

  test('the golden frames on the frame clock, and the music ends it by itself', {timeout: 600000}, async t => {
    const holds = Object.keys(goldenFrames).join(',');
    const page = await openPage(browser, server.url + '?autoplay=1&frame_clock=4&hold_frames=' + holds);
    for (const [frame, name] of Object.entries(goldenFrames)) {
      await waitForBody(page, 'heldFrame', frame, 300000);
      const box = await canvasBox(page);
      assert.deepEqual([box.width, box.height], [640, 480]);
      await expectPicture(page, join(source, 'tests', 'golden', name), box, t);
      await page.keyboard.press('Shift');  // swallowed by the program; ends the hold
    }
    await waitForBody(page, 'ended', '1', 120000);
    assert.equal(await page.$eval('#notices', notices => notices.hidden), true, page.lines.join('\n'));
    // The music the browser decoded lasts as long as the file.
    const fileSeconds = Number(execFileSync('ffprobe', ['-v', 'error', '-show_entries', 'format=duration', '-of',
      'csv=p=0', join(site, 'data', '90secver.ogg')]).toString());
    const decodedSeconds = Number(await page.evaluate(() => document.body.dataset.musicSeconds));
    assert.ok(Math.abs(decodedSeconds - fileSeconds) < 0.05, decodedSeconds + ' s decoded, ' + fileSeconds + ' s in the file');
    await page.close();
  });

  test('space (and its auto-repeat) writes the held frame\'s time to the log, Escape ends it, the end screen ' +
    'offers the log', {timeout: 180000}, async () => {
      const page = await openPage(browser, server.url + '?autoplay=1&frame_clock=60&hold_frames=120');
      await waitForBody(page, 'heldFrame', '120');
      await page.keyboard.down('Space');
      await page.keyboard.down('Space');  // held down: the browser's auto-repeat
      await page.keyboard.up('Space');
      await page.keyboard.press('Escape');
      await waitForBody(page, 'ended', '1');
      // Frame 120 at 60 fps: 20,000,000 ticks of 10 MHz since the load, read
      // as the program's stopwatch does (the frequency's low 8 bits dropped).
      // The press ends the hold, so the repeat comes some frames later: as
      // many as the browser draws before the second key event reaches the
      // page, more on a busy machine.
      const shown = await page.$eval('#log', log => log.textContent);
      const lines = shown.match(/^0 : 2\.00003\n1 : (\d+\.\d+)\n$/);
      assert.ok(lines, shown);
      assert.ok(Number(lines[1]) >= 2.00003 && Number(lines[1]) < 3, shown);
      const offered = await page.$eval('#download', async link =>
        ({name: link.getAttribute('download'), text: await (await fetch(link.href)).text()}));
      assert.deepEqual(offered, {name: 'log.txt', text: shown.replace(/\n/g, '\r\n')});
      await page.close();
    });

  test('the start and end screens look as they should, and leaving full screen ends it', {timeout: 180000},
    async () => {
      const page = await openPage(browser, server.url + '?frame_clock=60&hold_frames=30');
      await page.setViewport({width: 800, height: 600});
      // Still pictures: no transitions under way, the pointer on no button.
      await page.emulateMediaFeatures([{name: 'prefers-reduced-motion', value: 'reduce'}]);
      await waitForBody(page, 'ready', '1');
      await page.evaluate(() => document.activeElement.blur());  // no focus ring in the picture
      await expectPicture(page, join(references, 'start.png'));
      await page.click('#play');
      await waitForBody(page, 'heldFrame', '30');
      assert.equal(await page.evaluate(() => document.fullscreenElement?.id), 'stage');
      await page.keyboard.press('Space');
      // The browser leaves full screen on Escape without passing the key on.
      await page.evaluate(() => document.exitFullscreen());
      await waitForBody(page, 'ended', '1');
      await page.evaluate(() => document.activeElement.blur());
      await page.mouse.move(0, 0);
      await expectPicture(page, join(references, 'end.png'));
      await page.close();
    });

  test('a file that cannot be fetched is named and can be fetched again', {timeout: 120000}, async () => {
    server.faults.set('data/textures/photo3.jpg', 'missing');
    const page = await openPage(browser, server.url);
    await page.waitForSelector('#retry:not([hidden])');
    const said = await page.$eval('#problem', problem => problem.textContent);
    assert.match(said, /data\/textures\/photo3\.jpg \(HTTP 404 Not Found\)/);
    assert.equal(await page.$eval('#play', play => play.disabled), true);
    server.faults.delete('data/textures/photo3.jpg');
    await page.click('#retry');
    await waitForBody(page, 'ready', '1');
    assert.equal(await page.$eval('#problem', problem => problem.hidden), true);
    await page.close();
  });

  test('a damaged picture is reported in the console and the presentation goes on', {timeout: 120000}, async () => {
    server.faults.set('data/textures/photo5.jpg', 'damaged');
    try {
      const page = await openPage(browser, server.url + '?autoplay=1&frame_clock=60&hold_frames=2');
      await waitForBody(page, 'heldFrame', '2');
      assert.ok(page.lines.some(line => line.startsWith('salute: "textures/photo5.jpg" is damaged, shown as far')),
        page.lines.join('\n'));
      await page.keyboard.press('Escape');
      await waitForBody(page, 'ended', '1');
      await page.close();
    } finally {
      server.faults.delete('data/textures/photo5.jpg');
    }
  });
});

describe('what the page says when the browser cannot', () => {
  let server;
  before(async () => { server = await serve(site); });
  after(async () => { await server?.close(); });

  // Chromium has a switch to go without WebGL 2, none to go without
  // WebAssembly: that one is taken away before the page's script runs.
  const cases = [
    {name: 'no WebGL 2', args: ['--disable-webgl2'], says: /offers no WebGL 2/},
    {name: 'no WebAssembly', args: [], beforeLoad: () => { delete window.WebAssembly; }, says: /cannot run WebAssembly/},
  ];
  for (const {name, args, beforeLoad, says} of cases) {
    test(name, {timeout: 60000}, async () => {
      const browser = await launch({extraArgs: args});
      try {
        const page = await openPage(browser, server.url, beforeLoad);
        await waitForBody(page, 'unsupported', '1', 30000);
        assert.match(await page.$eval('#problem', problem => problem.textContent), says);
        assert.equal(await page.$eval('#play', play => play.disabled), true);
      } finally {
        await browser.end();
      }
    });
  }

  test('sound that cannot start', {timeout: 120000}, async () => {
    const browser = await launch({allowSound: false});
    try {
      // Started without a click: the browser keeps the sound off, and the
      // presentation ends after its first frame, as without a sound card.
      const page = await openPage(browser, server.url + '?autoplay=1&frame_clock=60');
      await waitForBody(page, 'ended', '1', 60000);
      assert.match(await page.$eval('#notices', notices => notices.textContent), /did not let the sound start/);
    } finally {
      await browser.end();
    }
  });
});
