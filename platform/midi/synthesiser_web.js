// The page's General MIDI synthesiser: FluidSynth as js-synthesizer builds it
// for the web, in an AudioWorklet, with Debian's TimGM6mb sound font, the
// files beside the page (cmake/web.cmake copies them into dist/).
//
// midi_stream_web.cpp asks for the files only after the first picture. The
// browser starts audio only from a click or a key, so the AudioContext is made
// at the player's first one; once the files are in and the sound font loaded,
// kestrova_synth_arrived tells the stream, which then hands over what it kept.
//
// window.kestrovaAudioPeak() gives the largest magnitude of the synthesiser's
// output over about the last 0.7 s (0 while silent, or before there is any):
// the end-to-end test measures the sound with it.
mergeInto(LibraryManager.library, {
  $KestrovaSynth__deps: ['$callUserCallback'],
  $KestrovaSynth: {
    context: null,
    analyser: null,  // between the synthesiser and the speakers
    synth: null,     // once it can sound
    files: null,     // a promise of them, once asked for
    started: false,
    failed: false,   // no AudioContext to be had, or the program ended
    listening: null, // for the player's first gesture

    // Scripts are fetched once, after the first picture, and run from that copy.
    script: function (name) {
      return fetch(name).then(function (response) {
        if (!response.ok) throw new Error(name + ': ' + response.status);
        return response.blob();
      }).then(function (body) {
        return URL.createObjectURL(new Blob([body], { type: 'text/javascript' }));
      });
    },
    // The sound font is most of what the page fetches after the first
    // picture: the page shows how far it is (Module.kestrovaLoading).
    font: function (name) {
      var told = Module['kestrovaLoading'] || function () {};
      return fetch(name).then(function (response) {
        if (!response.ok) throw new Error(name + ': ' + response.status);
        // A compressed answer's length is not the length of what is read.
        var total = response.headers.get('Content-Encoding') ? 0 : Number(response.headers.get('Content-Length')) || 0;
        if (!response.body) return response.arrayBuffer();
        var reader = response.body.getReader(), parts = [], done = 0;
        function next() {
          return reader.read().then(function (part) {
            if (part.done) return new Blob(parts).arrayBuffer();
            parts.push(part.value);
            done += part.value.byteLength;
            told('sound', done, total);
            return next();
          });
        }
        told('sound', 0, total);
        return next();
      }).finally(function () { told('sound', -1, 0); });
    },
    run: function (url) {
      return new Promise(function (resolve, reject) {
        var element = document.createElement('script');
        element.src = url;
        element.onload = resolve;
        element.onerror = function () { reject(new Error('js-synthesizer did not run')); };
        document.head.appendChild(element);
      });
    },

    gesture: function () {
      var S = KestrovaSynth;
      if (S.failed) return;
      if (!S.context) {
        try {
          S.context = new AudioContext();
        } catch (error) {
          S.failed = true;
          console.error('Kestrova plays without music: ' + error);
          S.arrived(0);
          return;
        }
        // About 0.7 s at 48 kHz: a clap between two looks is still seen.
        S.analyser = S.context.createAnalyser();
        S.analyser.fftSize = 32768;
        S.analyser.connect(S.context.destination);
        S.start();
      }
      if (S.context.state === 'suspended') S.context.resume();
    },

    // Needs both the player's gesture (the context) and the files.
    start: function () {
      var S = KestrovaSynth;
      if (S.started || !S.context || !S.files) return;
      S.started = true;
      var context = S.context;
      S.files.then(function (files) {
        return context.audioWorklet.addModule(files[0]).then(function () {
          return context.audioWorklet.addModule(files[1]);
        }).then(function () {
          return S.run(files[2]);
        }).then(function () {
          var synth = new JSSynth.AudioWorkletNodeSynthesizer();
          synth.init(context.sampleRate);
          synth.createAudioNode(context).connect(S.analyser);
          return synth.loadSFont(files[3]).then(function () { return synth; });
        });
      }).then(function (synth) {
        S.synth = synth;
        S.arrived(1);
      }, function (error) {
        console.error('Kestrova plays without music: ' + error);
        S.arrived(0);
      });
    },
    arrived: function (ready) {
      callUserCallback(function () { _kestrova_synth_arrived(ready); });
    },

    peak: function () {
      var S = KestrovaSynth;
      if (!S.analyser) return 0;
      var samples = new Float32Array(S.analyser.fftSize);
      S.analyser.getFloatTimeDomainData(samples);
      var peak = 0;
      for (var i = 0; i < samples.length; ++i) peak = Math.max(peak, Math.abs(samples[i]));
      return peak;
    },
  },

  // 0 where the page has no AudioWorklet (node; plain http from another host,
  // which is no secure context): no MIDI device there.
  kestrova_synth_open__deps: ['$KestrovaSynth'],
  kestrova_synth_open: function () {
    var S = KestrovaSynth;
    if (typeof window === 'undefined' || typeof AudioWorkletNode === 'undefined') return 0;
    if (!S.listening) {
      S.listening = new AbortController();
      window.kestrovaAudioPeak = S.peak;
      // pointerup too: a touch counts as a gesture only when it ends.
      ['pointerdown', 'pointerup', 'keydown'].forEach(function (type) {
        window.addEventListener(type, S.gesture, { capture: true, signal: S.listening.signal });
      });
      // The program's end silences it and lets the page's sound go: the next
      // game makes its own.
      Module.kestrovaAtEnd = (Module.kestrovaAtEnd || []).concat(function () {
        S.listening.abort();
        S.failed = true;
        if (window.kestrovaAudioPeak === S.peak) delete window.kestrovaAudioPeak;
        if (S.context) S.context.close().catch(function () {});
      });
    }
    return 1;
  },

  kestrova_synth_load__deps: ['$KestrovaSynth'],
  kestrova_synth_load: function () {
    var S = KestrovaSynth;
    if (S.files) return;
    S.files = Promise.all([
      S.script('libfluidsynth-2.4.6.js'),
      S.script('js-synthesizer.worklet.min.js'),
      S.script('js-synthesizer.min.js'),
      S.font('TimGM6mb.sf2'),
    ]);
    S.start();
  },

  kestrova_synth_send__deps: ['$KestrovaSynth'],
  kestrova_synth_send: function (message) {
    var synth = KestrovaSynth.synth;
    if (!synth) return;
    var status = message & 0xFF, data1 = (message >> 8) & 0x7F, data2 = (message >> 16) & 0x7F;
    var channel = status & 0x0F;
    // As the Linux synthesiser: channel 9 is FluidSynth's drum channel.
    switch (status & 0xF0) {
      case 0x80: synth.midiNoteOff(channel, data1); break;
      case 0x90: synth.midiNoteOn(channel, data1, data2); break;  // velocity 0 is a note-off
      case 0xA0: synth.midiKeyPressure(channel, data1, data2); break;
      case 0xB0: synth.midiControl(channel, data1, data2); break;
      case 0xC0: synth.midiProgramChange(channel, data1); break;
      case 0xD0: synth.midiChannelPressure(channel, data1); break;
      case 0xE0: synth.midiPitchBend(channel, data1 | (data2 << 7)); break;
    }
  },

  kestrova_synth_all_notes_off__deps: ['$KestrovaSynth'],
  kestrova_synth_all_notes_off: function () {
    if (KestrovaSynth.synth) KestrovaSynth.synth.midiAllNotesOff();
  },
});
