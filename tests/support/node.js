// Unit tests under Node: SDL's settings come from the test's environment
// (Emscripten's own starts empty), and the source folder, whose assets the
// tests copy, is reached through Node's file system at its own path. Every
// other path, the tests' scratch folders among them, is on the browser's
// in-memory file system, as the game's files are in a page.

// Node has no navigator: the game's controllers find a browser without the
// Gamepad API, as some are.
globalThis.navigator = globalThis.navigator || {};

Module.preRun = Module.preRun || [];
Module.preRun.push(() => {
    Object.assign(ENV, process.env);
    const source = process.env.QUARROW_SOURCE_DIR;
    FS.mkdirTree(source);
    FS.mount(NODEFS, {root: source}, source);
});
