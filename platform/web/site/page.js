// The page around the presentation: checks that the browser can show it,
// fetches the program and its data with a progress bar, starts it on Play
// (full screen, sound unlocked by the click), and shows the timing log at
// the end. The program itself is salute.js + salute.wasm (platform/web).
//
// Test hooks, as query parameters (the desktop's SALUTE_FRAME_CLOCK and
// SALUTE_HOLD_FRAMES): ?frame_clock=FPS, ?hold_frames=N,... (the body is
// marked data-held-frame="N" while frame N is held), ?autoplay=1 (starts
// without the click and without full screen).
'use strict';

(() => {
  const $ = id => document.getElementById(id);
  const params = new URLSearchParams(location.search);
  const hooks = {
    frameClock: Math.max(0, parseInt(params.get('frame_clock') || '0', 10) || 0),
    holdFrames: (params.get('hold_frames') || '').split(',').filter(item => item.trim() !== '')
      .map(Number).filter(Number.isInteger),
  };
  const autoplay = params.get('autoplay') === '1';

  const state = {
    list: null,            // what to fetch: {name, url, bytes}
    data: new Map(),       // name -> bytes, as fetched
    wasm: null,            // the compiled program
    compiling: null,       // its compilation, under way
    checked: false,        // the browser can show it
    unsupported: false,    // it cannot
    audioContext: null,
    musicDecodes: {},      // music file name -> decodeAudioData promise
    running: false,
  };

  function say(text) { $('status').textContent = text; }

  function problem(text) {
    $('problem').textContent = text;
    $('problem').hidden = !text;
  }

  function megabytes(bytes) { return (bytes / 1e6).toFixed(1) + ' MB'; }

  // What this browser lacks for the presentation, in one sentence; null
  // when it has everything.
  function missingFeature() {
    if (typeof WebAssembly !== 'object' || typeof WebAssembly.compile !== 'function')
      return 'This browser cannot run WebAssembly, which the presentation is made of.';
    let gl = null;
    try { gl = document.createElement('canvas').getContext('webgl2'); } catch (error) { gl = null; }
    if (!gl) return 'This browser offers no WebGL 2, which the presentation needs to draw its pictures.';
    const lose = gl.getExtension('WEBGL_lose_context');
    if (lose) lose.loseContext();
    return null;
  }

  // The body of a response, counting each piece as it arrives.
  async function fetchBytes(url, onBytes) {
    let response;
    try {
      response = await fetch(url, {cache: 'no-cache'});
    } catch (error) {
      throw new Error('the server did not answer');
    }
    if (!response.ok) throw new Error(('HTTP ' + response.status + ' ' + response.statusText).trim());
    const reader = response.body.getReader();
    const pieces = [];
    let length = 0;
    for (;;) {
      const {done, value} = await reader.read();
      if (done) break;
      pieces.push(value);
      length += value.length;
      onBytes(value.length);
    }
    const bytes = new Uint8Array(length);
    let at = 0;
    for (const piece of pieces) {
      bytes.set(piece, at);
      at += piece.length;
    }
    return bytes;
  }

  function loadScript(url) {
    return new Promise((resolve, reject) => {
      const script = document.createElement('script');
      script.src = url;
      script.onload = resolve;
      script.onerror = () => reject(new Error('it could not be fetched'));
      document.head.append(script);
    });
  }

  // The music is decoded while the rest loads: the browser does it, once.
  function decodeMusic(name, bytes) {
    if (!state.audioContext || state.musicDecodes[name]) return;
    const decoding = state.audioContext.decodeAudioData(bytes.slice().buffer);
    decoding.then(buffer => { document.body.dataset.musicSeconds = buffer.duration.toFixed(3); },
      () => {});  // a failure is the program's to report, when it opens the music
    state.musicDecodes[name] = decoding;
  }

  // Fetches whatever is still missing, all requests at once (the browser
  // queues them); the program compiles and the music decodes as soon as
  // their bytes are in. The browser's abilities are checked while the
  // bytes arrive (a first WebGL context can take a moment). On failures the
  // page names the files and offers to try again.
  async function load() {
    problem('');
    $('retry').hidden = true;
    say('Loading\u2026');
    const script = typeof createSalute === 'function' ? Promise.resolve() : loadScript('salute.js');
    script.catch(() => {});
    try {
      if (!state.list) {
        const files = JSON.parse(new TextDecoder().decode(await fetchBytes('data/files.json', () => {})));
        state.list = [{name: 'salute.wasm', url: 'salute.wasm', bytes: files.program.bytes}]
          .concat(files.files.map(file => ({name: file.name, url: 'data/' + file.name, bytes: file.bytes})));
      }
    } catch (error) {
      return failed(['data/files.json (' + error.message + ')']);
    }
    const total = state.list.reduce((sum, file) => sum + file.bytes, 0);
    let loaded = state.list.filter(file => state.data.has(file.name)).reduce((sum, file) => sum + file.bytes, 0);
    const showProgress = () => {
      if (state.unsupported) return;
      const share = Math.min(1, loaded / total);
      $('progress').firstElementChild.style.width = (share * 100).toFixed(1) + '%';
      $('progress').setAttribute('aria-valuenow', String(Math.round(share * 100)));
      say('Loading ' + megabytes(loaded) + ' of ' + megabytes(total));
    };
    showProgress();
    const failures = [];
    const fetches = state.list.filter(file => !state.data.has(file.name)).map(async file => {
      let arrived = 0;
      try {
        const bytes = await fetchBytes(file.url, count => { arrived += count; loaded += count; showProgress(); });
        state.data.set(file.name, bytes);
        if (file.name.endsWith('.ogg')) decodeMusic(file.name, bytes);
        if (file.name === 'salute.wasm') state.compiling = WebAssembly.compile(bytes);
      } catch (error) {
        loaded -= arrived;
        failures.push(file.url + ' (' + error.message + ')');
      }
    });
    if (!state.checked) {
      const missing = missingFeature();
      if (missing) return unsupported(missing);
      state.checked = true;
    }
    await Promise.all(fetches);
    showProgress();
    if (failures.length > 0) return failed(failures);
    try {
      await script;
      state.wasm = await state.compiling;
    } catch (error) {
      state.data.delete('salute.wasm');
      return failed(['salute.js or salute.wasm (' + error.message + ')']);
    }
    performance.mark('salute-ready');  // for the benchmark's timing
    say('Ready: ' + megabytes(total) + ' loaded');
    $('play').disabled = false;
    document.body.dataset.ready = '1';
    if (autoplay) start();
    else $('play').focus();
  }

  function unsupported(sentence) {
    state.unsupported = true;
    problem(sentence);
    say('The presentation cannot be shown in this browser.');
    $('progress').hidden = true;
    $('play').hidden = true;
    document.querySelector('.keys').hidden = true;
    document.body.dataset.unsupported = '1';
  }

  function failed(names) {
    problem((names.length === 1 ? 'This file could not be loaded: ' : 'These files could not be loaded: ') +
      names.join(', ') + '. Check the connection and try again.');
    say('Loading stopped');
    $('retry').hidden = false;
    $('retry').focus();
  }

  // Device pixels per pixel of the program: the picture is drawn as large
  // as it is shown (at most 4 x 640 x 480), so the text stays crisp on
  // high-density and large screens instead of being enlarged.
  function drawingScale(stage) {
    const box = stage.getBoundingClientRect();
    const shownHeight = Math.min(box.height, box.width * 3 / 4) * (window.devicePixelRatio || 1);
    return Math.min(4, Math.max(1, Math.round(shownHeight / 480)));
  }

  async function start() {
    if (state.running || !state.wasm) return;
    state.running = true;
    // Within the click: the sound may start and the page go full screen.
    if (state.audioContext && state.audioContext.state !== 'running') state.audioContext.resume().catch(() => {});
    const stage = $('stage');
    const canvas = document.createElement('canvas');
    canvas.id = 'canvas';
    canvas.tabIndex = -1;
    canvas.setAttribute('aria-label', 'The presentation');
    stage.replaceChildren(canvas);
    $('start').hidden = true;
    $('end').hidden = true;
    stage.hidden = false;
    delete document.body.dataset.ended;
    if (!autoplay && stage.requestFullscreen) {
      try { await stage.requestFullscreen({navigationUI: 'hide'}); } catch (error) { /* shown in the window */ }
    }
    canvas.focus();
    const messages = [];
    const run = {
      canvas,
      scale: drawingScale(stage),
      hooks,
      audioContext: state.audioContext,
      musicDecodes: state.musicDecodes,
      noInitialRun: true,
      instantiateWasm(imports, ready) {
        WebAssembly.instantiate(state.wasm, imports).then(instance => ready(instance), error => {
          messages.push('salute: the program could not be started (' + error.message + ')');
          finish(run, messages);
        });
        return {};
      },
      preRun: [module => {
        for (const [name, bytes] of state.data) {
          if (name === 'salute.wasm') continue;
          const folder = name.includes('/') ? name.slice(0, name.lastIndexOf('/')) : '';
          if (folder) module.FS.mkdirTree(folder);
          module.FS.writeFile(name, bytes);
        }
      }],
      print: line => console.log(line),
      printErr: line => {
        console.error(line);
        if (!line.startsWith('salute: holding frame')) messages.push(line);
      },
      // When each frame reached the screen, in milliseconds since the page
      // opened: the first one on the body, all of them for benchmarks.
      onFrame: index => {
        const now = performance.now();
        if (index === 0) {
          document.body.dataset.firstFrame = String(Math.round(now));
          window.saluteFrameTimes = [];
        }
        window.saluteFrameTimes.push(now);
      },
      onExit: () => finish(run, messages),
      onAbort: what => {
        messages.push('salute: the presentation stopped with an error (' + what + ')');
        finish(run, messages);
      },
    };
    try {
      // The module is this very object, filled in by the runtime. main
      // returns through a promise (it sleeps and waits for frames on the
      // way); exiting with its status then closes the program's files, as
      // any process end does, and calls onExit.
      await createSalute(run);
      performance.mark('salute-main');
      const status = await run.ccall('main', 'number', [], [], {async: true});
      run._exit(status);
    } catch (error) {
      if (!(error && error.name === 'ExitStatus')) {
        messages.push('salute: the presentation stopped with an error (' + error + ')');
        finish(run, messages);
      }
    }
  }

  // The end screen: the program's log (the runtime has closed it by now)
  // and whatever went wrong, in the program's own words.
  function finish(module, messages) {
    if (!state.running) return;
    state.running = false;
    let log = '';
    try { log = new TextDecoder().decode(module.FS.readFile('log.txt')); } catch (error) { log = ''; }
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
    $('stage').hidden = true;
    $('stage').replaceChildren();
    const lines = log.split(/\r?\n/).filter(line => line !== '');
    $('log').textContent = lines.length > 0 ? log.replace(/\r\n/g, '\n')
      : 'No time stamps: press Space while the presentation plays to write one.';
    $('log').classList.toggle('empty', lines.length === 0);
    $('log-count').textContent = lines.length === 1 ? '1 time stamp' : lines.length + ' time stamps';
    const link = $('download');
    if (link.href.startsWith('blob:')) URL.revokeObjectURL(link.href);
    link.href = URL.createObjectURL(new Blob([log], {type: 'text/plain'}));
    const notices = messages.map(line => line.replace(/^salute: /, '')).map(line => line[0].toUpperCase() + line.slice(1) + '.');
    $('notices').textContent = notices.join('\n');
    $('notices').hidden = notices.length === 0;
    $('end').hidden = false;
    document.body.dataset.ended = '1';
    $('again').focus();
  }

  $('play').addEventListener('click', start);
  $('again').addEventListener('click', start);
  $('retry').addEventListener('click', load);

  try {
    const AudioContext = window.AudioContext || window.webkitAudioContext;
    state.audioContext = AudioContext ? new AudioContext() : null;
  } catch (error) {
    state.audioContext = null;  // the program says so when it starts
  }
  load();
})();
