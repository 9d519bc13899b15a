// Before the game's main function runs, its folder of the player's files
// (/Resources/Data) is filled from the browser's storage for the page's folder
// (playerFiles.js), so that the game finds its files there as on the desktop
// and nothing in it waits for the storage: the runtime calls main once that
// read is done. From then on the game's side stores every file it replaces
// there (Module.playerFiles, see Folder.cpp). Module.onPlayerFiles, where the
// page has it, learns whether files are kept, and Module.onUnkept what was
// not; storage the browser refuses (blocked site data) leaves a playable game
// that says once that nothing will be kept. Linked ahead of the runtime, after
// playerFiles.js.
Module.preRun = [].concat(Module.preRun || [], () => {
  const folder = "/Resources/Data";
  const told = kept => {
    if (Module.onPlayerFiles) {
      Module.onPlayerFiles(kept);
    }
  };
  // A browser that blocks the page's storage throws at its very name.
  const storage = name => {
    try {
      return window[name];
    } catch (blocked) {
      return null;
    }
  };
  // The page's folder: its path without its file name.
  const place = location.pathname.slice(0, location.pathname.lastIndexOf("/") + 1);
  FS.mkdirTree(folder);
  const files = {
    list: () => FS.readdir(folder).map(name => folder + "/" + name).filter(path => FS.isFile(FS.stat(path).mode)),
    read: path => FS.readFile(path),
    write: (path, bytes) => FS.writeFile(path, bytes),
    remove: path => FS.unlink(path),
  };
  addRunDependency("playerFiles");
  Promise.resolve().then(() => openPlayerFiles({
    folder: folder,
    place: place,
    files: files,
    indexedDB: storage("indexedDB"),
    localStorage: storage("localStorage"),
    sessionStorage: storage("sessionStorage"),
    channel: typeof BroadcastChannel === "function" ? new BroadcastChannel(playerFilesPlace(place).database) : null,
    log: line => console.warn(line),
    tell: words => Module.onUnkept && Module.onUnkept(words),
  })).then(opened => {
    Module.playerFiles = opened;
    told(true);
  }, refused => {
    out("Nothing will be kept: the browser refuses this page its storage (" + refused + ").");
    told(false);
  }).finally(() => removeRunDependency("playerFiles"));
});
