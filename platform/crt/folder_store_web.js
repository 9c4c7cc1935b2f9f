// The folder the game runs in (its working directory, where it keeps its
// files) is an IDBFS mount: Emscripten's in-memory files, copied to and from an
// IndexedDB database named for the folder. It is loaded before main() runs, so
// the first read sees what an earlier visit saved; what changed is stored by
// fsync (_commit) and by every rename meant to last (rename_web.cpp).
var kestrovaFolder = (function () {
  var folder = '/kestrova';
  // A folder that could not be loaded is never stored: that would wipe out
  // the copy it failed to read.
  var loaded = false;
  // Each file's time as the database holds it, so that a store puts only what changed.
  var storedTimes = {};

  function eachEntry(path, visit) {
    FS.readdir(path).forEach(function (name) {
      if (name === '.' || name === '..') return;
      var child = PATH.join2(path, name);
      var stat = FS.stat(child);
      visit(child, stat);
      if (FS.isDir(stat.mode)) eachEntry(child, visit);
    });
  }

  // What changed goes in one transaction, and what the folder no longer holds
  // leaves it, in IDBFS's own layout. This Emscripten's IDBFS never answers
  // when the browser aborts its transaction, which is how a full storage
  // shows: stored that way, a save would hang instead of failing.
  function storeFolder(db) {
    return new Promise(function (resolve, reject) {
      var transaction = db.transaction([IDBFS.DB_STORE_NAME], 'readwrite');
      var failure = new Error('the transaction was aborted');
      var times = {};
      transaction.oncomplete = function () {
        storedTimes = times;
        resolve();
      };
      transaction.onabort = function () { reject(transaction.error || failure); };
      try {
        var files = transaction.objectStore(IDBFS.DB_STORE_NAME);
        eachEntry(folder, function (path, stat) {
          times[path] = stat.mtime.getTime();
          if (storedTimes[path] === times[path]) return;
          var entry = { 'timestamp': stat.mtime, 'mode': stat.mode };
          if (!FS.isDir(stat.mode)) entry['contents'] = MEMFS.getFileDataAsTypedArray(FS.lookupPath(path).node);
          files.put(entry, path);
        });
        Object.keys(storedTimes).forEach(function (path) {
          if (!(path in times)) files.delete(path);
        });
      } catch (e) {
        // The browser's own abort, if it came first, says more.
        failure = e;
        try {
          transaction.abort();
        } catch (finished) {
        }
      }
    });
  }

  // IDBFS, but stored by storeFolder. (IDBFS is defined after this file runs.)
  function folderFs() {
    return Object.assign({}, IDBFS, {
      syncfs: function (mount, populate, callback) {
        if (populate) return IDBFS.syncfs(mount, true, callback);
        if (!loaded) return callback(new Error('the folder was not loaded'));
        IDBFS.getDB(mount.mountpoint, function (error, db) {
          if (error || !db) return callback(error || new Error('no database'));
          storeFolder(db).then(function () { callback(null); }, callback);
        });
      },
    });
  }

  // Without IndexedDB the files cannot be read, and must not look like a
  // folder without them: every name in it is a file nobody may open or create,
  // so that reading fails with EACCES, never ENOENT.
  function refuseEveryName() {
    var root = FS.mount(MEMFS, {}, folder);
    root.node_ops = Object.assign({}, root.node_ops, {
      lookup: function (parent, name) {
        return FS.createNode(parent, name, 0x8000 /* S_IFREG, no permission bits */, 0);
      },
    });
  }

  function load() {
    FS.mkdir(folder);
    FS.mount(folderFs(), {}, folder);
    FS.chdir(folder);
    addRunDependency('kestrova-folder');
    var done = function (error) {
      if (error) {
        err('Kestrova: the saved files could not be loaded from IndexedDB: ' + error);
        FS.unmount(folder);
        refuseEveryName();
      } else {
        eachEntry(folder, function (path, stat) { storedTimes[path] = stat.mtime.getTime(); });
        loaded = true;
      }
      removeRunDependency('kestrova-folder');
    };
    // IDBFS asserts (ends the program) where the browser has no IndexedDB.
    if (typeof indexedDB == 'undefined' || !indexedDB) return done('no IndexedDB');
    try {
      FS.syncfs(true, done);
    } catch (e) {
      done(e);
    }
  }

  // Resolves to 0 once IndexedDB holds the folder as it is in memory, 1 when
  // the page's storage is full, 2 when IndexedDB cannot be reached.
  function store() {
    return new Promise(function (resolve) {
      FS.syncfs(false, function (error) {
        if (error) err('Kestrova: the saved files could not be stored in IndexedDB: ' + error);
        resolve(!error ? 0 : error.name === 'QuotaExceededError' ? 1 : 2);
      });
    });
  }

  Module['preRun'] = [].concat(Module['preRun'] || [], load);
  return { store: store };
})();
