// The page's storage of the player's files (src/core/web/playerFiles.js) under Node: two tabs are
// two instances on one IndexedDB, a small one in memory whose writes can be held back (a page left
// before they finish) or refused (a full quota).
const test = require("node:test");
const assert = require("node:assert");
const {openPlayerFiles} = require("../../src/core/web/playerFiles.js");

const DATA = "/Resources/Data";
const bytes = text => new Uint8Array(Buffer.from(text));
const turns = () => new Promise(resolve => setTimeout(resolve, 20));
const levels = Array.from({length: 10}, (_, n) => `${DATA}/level${n}.level`);

// IndexedDB as the storage code uses it: each request runs in a later turn, then the transaction. A database
// stored as null has no store of files and is held open by a page that never lets go.
class Databases {
    constructor() { Object.assign(this, {stores: new Map(), held: false, refused: false, reads: 0}); }
    open(name, version) {
        const request = {};
        if (this.stores.get(name) === null) {
            const storeless = {objectStoreNames: {contains: () => false}, version: 1, close() {}};
            setImmediate(() => version ? request.onblocked() : (request.result = storeless, request.onsuccess()));
            return request;
        }
        setImmediate(() => {
            const fresh = !this.stores.has(name);
            const store = this.stores.get(name) || new Map();
            this.stores.set(name, store);
            request.result = {transaction: () => this.transaction(store), close() {}, createObjectStore() {},
                              objectStoreNames: {contains: () => true}, version: 1};
            fresh && request.onupgradeneeded({oldVersion: 0});
            request.onsuccess();
        });
        return request;
    }
    databases() { return Promise.resolve([...this.stores.keys()].map(name => ({name}))); }
    transaction(store) {
        const steps = [], writing = {}, held = this.held, refused = this.refused;
        const ask = step => {
            const request = {};
            steps.push(() => (request.result = step(), request.onsuccess && request.onsuccess()));
            return request;
        };
        writing.objectStore = () => ({
            get: key => (this.reads++, ask(() => structuredClone(store.get(key)))),
            getAll: () => ask(() => structuredClone([...store.values()])),
            getAllKeys: () => ask(() => [...store.keys()]),
            put: (value, key) => ask(() => store.set(key, structuredClone(value))),
            delete: key => ask(() => store.delete(key)),
        });
        setImmediate(() => {
            if (refused) {
                writing.error = "QuotaExceededError";
                writing.onabort();
            } else if (!held) {
                steps.forEach(step => step());
                setImmediate(() => writing.oncomplete && writing.oncomplete());
            }
        });
        return writing;
    }
    text(path) {
        const record = (this.stores.get("quarrow:/") || new Map()).get(path);
        return record && Buffer.from(record.contents).toString();
    }
}

class Storage {
    constructor() { Object.assign(this, {items: new Map(), full: false}); }
    getItem(key) { return this.items.has(key) ? this.items.get(key) : null; }
    setItem(key, value) {
        if (this.full) throw new Error("QuotaExceededError");
        this.items.set(key, String(value));
    }
    removeItem(key) { this.items.delete(key); }
}

const browser = () => ({indexedDB: new Databases(), localStorage: new Storage(), sessionStorage: new Storage()});

// A tab: its own copy of the folder in memory, the browser's storages shared.
async function tab(shared, place = "/") {
    const copy = new Map(), said = {log: [], tell: []};
    const files = await openPlayerFiles({
        ...shared, folder: DATA, place, channel: new BroadcastChannel(place),
        log: line => said.log.push(line), tell: words => said.tell.push(words),
        files: {list: () => [...copy.keys()], read: path => copy.get(path), write: (path, data) => copy.set(path, data),
                remove: path => copy.delete(path)},
    });
    const text = path => copy.has(path) ? Buffer.from(copy.get(path)).toString() : undefined;
    const write = (path, content) => (copy.set(path, bytes(content)), files.store());
    return {files, copy, said, text, write};
}

test("two tabs share the folder as two copies of the game share one", async () => {
    const shared = browser();
    shared.indexedDB.stores.set("quarrow:/", new Map([[`${DATA}/Settings.ini`, {time: 1, contents: bytes("640")}]]));
    const [older, newer] = [await tab(shared), await tab(shared)];
    levels.forEach(path => newer.write(path, "newer's"));
    newer.write(`${DATA}/Settings.ini`, "800");
    // Before the older tab has heard of them: its store neither reverts nor deletes them.
    older.write(`${DATA}/SaveData.bin`, "older's");
    older.files.storeNow();
    await turns();
    const stored = shared.indexedDB.stores.get("quarrow:/");
    const expected = [...levels, `${DATA}/SaveData.bin`, `${DATA}/Settings.ini`];
    assert.deepStrictEqual([...stored.keys()].sort(), expected.sort());
    assert.strictEqual(shared.indexedDB.text(`${DATA}/Settings.ini`), "800");
    // The older tab's copy takes up what the other stored; the last writer wins; a removal is that file's.
    assert.strictEqual(older.text(levels[3]), "newer's");
    older.write(`${DATA}/Settings.ini`, "1024");
    newer.copy.delete(levels[9]);
    newer.files.store();
    await turns();
    const settings = [shared.indexedDB.text(`${DATA}/Settings.ini`), newer.text(`${DATA}/Settings.ini`)];
    assert.deepStrictEqual(settings, ["1024", "1024"]);
    assert.deepStrictEqual([stored.has(levels[9]), older.copy.has(levels[9]), stored.size], [false, false, 11]);
    // Another page folder of the site has a folder of its own.
    const elsewhere = await tab(shared, "/copy/");
    assert.strictEqual(elsewhere.copy.size, 0);
    [older, newer, elsewhere].forEach(each => each.files.close());
});

test("whatever the storage holds, only bytes of the folder reach the game, said in one line", async () => {
    const spoilt = browser();
    const record = text => ({time: 1, contents: bytes(text)});
    spoilt.indexedDB.stores.set("quarrow:/", new Map([
        [`${DATA}/Settings.ini`, record("kept")], ["/Resources/Assets/Button.bmp", record("")],
        [`${DATA}/../../x`, record("")], [5, record("")], [`${DATA}/null`, null], [`${DATA}/text`, {contents: "text"}],
        [`${DATA}/sub/y`, record("")]]));
    const entry = text => ({time: 2, bytes: Buffer.from(text).toString("base64")});
    spoilt.localStorage.setItem("quarrow-unstored:/", JSON.stringify({
        [`${DATA}/SaveData.bin`]: entry("journalled"), [`${DATA}/nothing`]: null,
        [`${DATA}/bad`]: {time: 2, bytes: "%"}, "/Resources/Assets/Font.ttf": entry(""), [`${DATA}/../x2`]: entry(""),
        [`${DATA}/number`]: {time: 2, bytes: 7}}));
    const game = await tab(spoilt);
    assert.deepStrictEqual([...game.copy.keys()].sort(), [`${DATA}/SaveData.bin`, `${DATA}/Settings.ini`]);
    assert.strictEqual(game.text(`${DATA}/SaveData.bin`), "journalled");
    assert.strictEqual(game.said.log.length, 1, game.said.log);
    const dropped = ["Button.bmp", "../../x", "5", "null", "text", "sub/y", "nothing", "bad", "Font.ttf", "x2", "number"];
    for (const what of dropped) {
        assert.ok(game.said.log[0].includes(what), `${what} unsaid in ${game.said.log[0]}`);
    }
    game.files.close();
    for (const journal of ["{", "null", "[1]", "7"]) {
        spoilt.localStorage.setItem("quarrow-unstored:/", journal);
        const again = await tab(spoilt);
        assert.strictEqual(again.text(`${DATA}/SaveData.bin`), "journalled");
        again.files.close();
    }
});

test("a page folder's start takes up what the game's earlier pages kept for the site until it is noted", async () => {
    const shared = browser();
    const earlier = {timestamp: new Date(5), mode: 0o100644, contents: bytes("earlier")};
    shared.indexedDB.stores.set(DATA, new Map([[DATA, {timestamp: new Date(5), mode: 0o40755}],
                                               [`${DATA}/SaveData.bin`, earlier]]));
    // A first start killed just after it made the folder's database left it empty.
    shared.indexedDB.stores.set("quarrow:/a/", new Map());
    const first = await tab(shared, "/a/");
    first.write(`${DATA}/Settings.ini`, "mine");
    await turns();
    assert.deepStrictEqual([...shared.indexedDB.stores.get("quarrow:/a/").keys()].sort(),
                           [`${DATA}/SaveData.bin`, `${DATA}/Settings.ini`, "quarrow:earlier-files-taken-up"]);
    // Taken up once: a save the player's game removed stays removed.
    first.copy.delete(`${DATA}/SaveData.bin`);
    first.files.store();
    await turns();
    const again = await tab(shared, "/a/");
    assert.deepStrictEqual([...again.copy.keys()], [`${DATA}/Settings.ini`]);
    assert.deepStrictEqual(again.said.log, []);
    [first, again].forEach(each => each.files.close());
});

test("a page left journals only its unstored writes, stored by the next start unless older", async () => {
    const shared = browser();
    const left = await tab(shared);
    levels.forEach(path => left.write(path, "level"));
    await turns();
    shared.indexedDB.held = true;
    left.write(`${DATA}/SaveData.bin`, "the exit save");
    left.files.storeNow();
    const journal = JSON.parse(shared.localStorage.getItem("quarrow-unstored:/"));
    assert.deepStrictEqual(Object.keys(journal), [`${DATA}/SaveData.bin`]);
    shared.indexedDB.held = false;
    const next = await tab(shared);
    await turns();
    assert.strictEqual(next.text(`${DATA}/SaveData.bin`), "the exit save");
    assert.strictEqual(shared.indexedDB.text(`${DATA}/SaveData.bin`), "the exit save");
    assert.strictEqual(shared.localStorage.getItem("quarrow-unstored:/"), null);
    // A journalled write that another tab has since overwritten in storage is not put back.
    shared.indexedDB.held = true;
    next.write(`${DATA}/Settings.ini`, "journalled");
    next.files.storeNow();
    shared.indexedDB.held = false;
    const newer = {time: Date.now() + 1000, contents: bytes("newer")};
    shared.indexedDB.stores.get("quarrow:/").set(`${DATA}/Settings.ini`, newer);
    const last = await tab(shared);
    assert.strictEqual(last.text(`${DATA}/Settings.ini`), "newer");
    // An entry goes once its replay is stored, though the game wrote the file again meanwhile: one from a clock
    // that was ahead would otherwise win at every start.
    const ahead = {time: Date.now() + 1e7, bytes: Buffer.from("ahead").toString("base64")};
    shared.localStorage.setItem("quarrow-unstored:/", JSON.stringify({[`${DATA}/Settings.ini`]: ahead}));
    const replaying = await tab(shared);
    replaying.write(`${DATA}/Settings.ini`, "applied");
    await turns();
    assert.strictEqual(shared.localStorage.getItem("quarrow-unstored:/"), null);
    [left, next, last, replaying].forEach(each => each.files.close());
});

test("a write that neither storage nor the journal could keep is told once, by the next page", async () => {
    const shared = browser();
    shared.localStorage.full = true;
    for (const lost of [false, true]) {
        const left = await tab(shared);
        shared.indexedDB.held = lost;
        left.write(`${DATA}/SaveData.bin`, `lost: ${lost}`);
        left.files.storeNow();
        await turns();
        left.files.close();
        shared.indexedDB.held = false;
        const next = await tab(shared);
        assert.deepStrictEqual(next.said.tell.map(words => words.includes("SaveData.bin")), lost ? [true] : []);
        next.files.close();
    }
    // Storage that refuses a write says so at once, once.
    const refusing = await tab(shared);
    shared.indexedDB.refused = true;
    refusing.write(`${DATA}/Settings.ini`, "a");
    refusing.write(`${DATA}/Settings.ini`, "b");
    await turns();
    assert.strictEqual(refusing.said.tell.length, 1, refusing.said.tell);
    refusing.files.close();
});

test("a database held open by another page of the site: the start says so and keeps nothing", {timeout: 30000},
     async () => {
    const shared = browser(), told = [];
    shared.indexedDB.stores.set("quarrow:/", null);
    const files = {list: () => [], read() {}, write() {}, remove() {}};
    await assert.rejects(openPlayerFiles({...shared, folder: DATA, place: "/", channel: null, files, log() {},
                                          tell: words => told.push(words)}));
    assert.match(told.join(), /Another page of this site holds the game's storage/);
});

test("another page's message on the tabs' channel reads no more than each of the game's files once", async () => {
    const shared = browser(), settings = `${DATA}/Settings.ini`;
    const game = await tab(shared), other = new BroadcastChannel("/");
    shared.indexedDB.stores.get("quarrow:/").set(settings, {time: 1, contents: bytes("another tab's")});
    other.postMessage(new Array(2 ** 32 - 1));
    other.postMessage(Array(100000).fill(settings));
    other.postMessage([settings, settings, `${DATA}/notes.txt`]);
    for (let waited = 0; game.text(settings) === undefined && waited < 30000; waited += 20) {
        await turns();
    }
    assert.deepStrictEqual([game.text(settings), shared.indexedDB.reads], ["another tab's", 1]);
    [game.files, other].forEach(each => each.close());
});
