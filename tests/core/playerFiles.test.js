// The page's storage of the player's files (src/core/web/playerFiles.js) under
// Node: two tabs are two instances on one IndexedDB, a small one in memory
// whose writes can be held back (a page left before they finish) or refused.
const test = require("node:test");
const assert = require("node:assert");
const {openPlayerFiles} = require("../../src/core/web/playerFiles.js");

const DATA = "/Resources/Data";
const bytes = text => new Uint8Array(Buffer.from(text));
const turns = () => new Promise(resolve => setTimeout(resolve, 20));

// IndexedDB as the storage uses it; `held` keeps transactions from finishing, `refused` aborts
// them.
class Databases {
    constructor() {
        this.stores = new Map();
        this.held = false;
        this.refused = false;
    }
    open(name) {
        const request = {};
        setImmediate(() => {
            const fresh = !this.stores.has(name);
            const store = fresh ? new Map() : this.stores.get(name);
            this.stores.set(name, store);
            request.result = {
                transaction : mode => this.transaction(store, mode),
                close : () => {},
                createObjectStore : () => {},
                objectStoreNames : {contains : () => true},
                version : 1
            };
            if (fresh) {
                request.onupgradeneeded();
            }
            request.onsuccess();
        });
        return request;
    }
    transaction(store) {
        const writing = {};
        const steps = [];
        const ask = step => {
            const request = {};
            steps.push(() => {
                request.result = step();
                if (request.onsuccess) {
                    request.onsuccess();
                }
            });
            return request;
        };
        writing.objectStore = () => ({
            get : key => ask(() => structuredClone(store.get(key))),
            getAll : () => ask(() => structuredClone([...store.values() ])),
            getAllKeys : () => ask(() => [...store.keys()]),
            put : (value, key) => ask(() => store.set(key, structuredClone(value))),
            delete : key => ask(() => store.delete(key)),
        });
        const held = this.held;
        const refused = this.refused;
        setImmediate(() => {
            if (refused) {
                writing.error = "QuotaExceededError";
                return writing.onabort && writing.onabort();
            }
            if (!held) {
                steps.forEach(step => step());
                setImmediate(() => writing.oncomplete && writing.oncomplete());
            }
        });
        return writing;
    }
    files(place = "/") {
        const store = this.stores.get("quarrow:" + place) || new Map();
        return Object.fromEntries(
            [...store ].map(([ path, record ]) => [path, Buffer.from(record.contents).toString()]));
    }
}

class Storage {
    constructor() {
        this.items = new Map();
        this.full = false;
    }
    getItem(key) { return this.items.has(key) ? this.items.get(key) : null; }
    setItem(key, value) {
        if (this.full) {
            throw new Error("QuotaExceededError");
        }
        this.items.set(key, String(value));
    }
    removeItem(key) { this.items.delete(key); }
}

// A tab: its own copy of the folder in memory, the browser's storages shared.
async function tab(browser, place = "/") {
    const copy = new Map();
    const said = {log : [], tell : []};
    const channel = new BroadcastChannel("quarrow:" + place);
    const files = await openPlayerFiles({
        folder : DATA,
        place,
        indexedDB : browser.idb,
        localStorage : browser.local,
        sessionStorage : browser.session,
        channel,
        log : line => said.log.push(line),
        tell : words => said.tell.push(words),
        files : {
            list : () => [...copy.keys()],
            read : path => copy.get(path),
            write : (path, data) => copy.set(path, data),
            remove : path => copy.delete(path)
        },
    });
    const text = name => copy.has(`${DATA}/${name}`)
                             ? Buffer.from(copy.get(`${DATA}/${name}`)).toString()
                             : undefined;
    const write = (name, content) => {
        copy.set(`${DATA}/${name}`, bytes(content));
        files.store();
    };
    return {files, copy, said, text, write};
}

const browser = () => ({idb : new Databases(), local : new Storage(), session : new Storage()});
const levels = Array.from({length : 10}, (_, n) => `level${n}.level`);

test("two tabs share the folder as two copies of the game share one", async () => {
    const shared = browser();
    shared.idb.stores.set(
        "quarrow:/",
        new Map([ [ `${DATA}/Settings.ini`, {time : 1, contents : bytes("640 x 480")} ] ]));
    const older = await tab(shared);
    const newer = await tab(shared);
    levels.forEach(name => newer.write(name, `${name} of the newer tab`));
    newer.write("Settings.ini", "800 x 600");
    // Before the older tab has heard of them: its store neither reverts nor deletes them.
    older.write("SaveData.bin", "older's save");
    older.files.storeNow();
    await turns();
    const stored = shared.idb.files();
    assert.deepStrictEqual(
        Object.keys(stored).sort(),
        [...levels, "SaveData.bin", "Settings.ini" ].map(n => `${DATA}/${n}`).sort());
    assert.strictEqual(stored[`${DATA}/Settings.ini`], "800 x 600");
    // The older tab's copy follows what the other stored; the last writer of a file wins; a removal
    // is that file's.
    assert.strictEqual(older.text("level3.level"), "level3.level of the newer tab");
    older.write("Settings.ini", "1024 x 768");
    newer.copy.delete(`${DATA}/level9.level`);
    newer.files.store();
    await turns();
    assert.strictEqual(shared.idb.files()[`${DATA}/Settings.ini`], "1024 x 768");
    assert.strictEqual(newer.text("Settings.ini"), "1024 x 768");
    assert.strictEqual(shared.idb.files()[`${DATA}/level9.level`], undefined);
    assert.strictEqual(older.text("level9.level"), undefined);
    assert.strictEqual(Object.keys(shared.idb.files()).length, 11);
    // Another page folder of the site has a folder of its own.
    const elsewhere = await tab(shared, "/copy/");
    assert.strictEqual(elsewhere.copy.size, 0);
    [older, newer, elsewhere].forEach(each => each.files.close());
});

test("whatever the storage holds, only bytes of the folder reach the game, said in one line",
     async () => {
         const spoilt = browser();
         const store = new Map([
             [ `${DATA}/Settings.ini`, {time : 1, contents : bytes("kept")} ],
             [ "/Resources/Assets/Button.bmp", {time : 1, contents : bytes("not a picture")} ],
             [ `${DATA}/../../x`, {time : 1, contents : bytes("x")} ],
             [ 5, {contents : bytes("five")} ], [ `${DATA}/null`, null ],
             [ `${DATA}/text`, {contents : "text"} ], [ `${DATA}/sub/y`, {contents : bytes("y")} ]
         ]);
         spoilt.idb.stores.set("quarrow:/", store);
         const entry = text => ({time : 2, bytes : Buffer.from(text).toString("base64")});
         spoilt.local.setItem("quarrow-unstored:/", JSON.stringify({
             [`${DATA}/SaveData.bin`] : entry("journalled"),
             [`${DATA}/nothing`] : null,
             [`${DATA}/bad`] : {time : 2, bytes : "%%%"},
             "/Resources/Assets/Button.bmp" : entry("not a picture either"),
             [`${DATA}/../../x`] : entry("x"),
             [`${DATA}/number`] : {time : 2, bytes : 7}
         }));
         const game = await tab(spoilt);
         assert.deepStrictEqual([...game.copy.keys() ].sort(),
                                [ `${DATA}/SaveData.bin`, `${DATA}/Settings.ini` ]);
         assert.strictEqual(game.text("SaveData.bin"), "journalled");
         assert.strictEqual(game.said.log.length, 1, game.said.log);
         for (const dropped of ["Button.bmp", "../../x", "5", "null", "text", "sub/y", "nothing",
                                "bad", "number"]) {
             assert.ok(game.said.log[0].includes(dropped),
                       `${dropped} unsaid in ${game.said.log[0]}`);
         }
         game.files.close();
         // A journal that is not even JSON, or no object.
         for (const journal of ["{", "null", "[1]", "7"]) {
             spoilt.local.setItem("quarrow-unstored:/", journal);
             const again = await tab(spoilt);
             assert.strictEqual(again.text("SaveData.bin"), "journalled");
             again.files.close();
         }
     });

test(
    "a page left journals only its unstored writes, which the next start stores unless they are older",
    async () => {
        const shared = browser();
        const left = await tab(shared);
        levels.forEach(name => left.write(name, name));
        await turns();
        shared.idb.held = true;
        left.write("SaveData.bin", "the exit save");
        left.files.storeNow();
        assert.deepStrictEqual(Object.keys(JSON.parse(shared.local.getItem("quarrow-unstored:/"))),
                               [ `${DATA}/SaveData.bin` ]);
        left.files.close();
        shared.idb.held = false;
        const next = await tab(shared);
        assert.strictEqual(next.text("SaveData.bin"), "the exit save");
        await turns();
        assert.strictEqual(shared.idb.files()[`${DATA}/SaveData.bin`], "the exit save");
        assert.strictEqual(shared.local.getItem("quarrow-unstored:/"), null);
        // A journalled write that another tab has since overwritten in storage is not put back.
        shared.idb.held = true;
        next.write("Settings.ini", "journalled, then overwritten");
        next.files.storeNow();
        shared.idb.held = false;
        shared.idb.stores.get("quarrow:/")
            .set(`${DATA}/Settings.ini`, {time : Date.now() + 1000, contents : bytes("newer")});
        const last = await tab(shared);
        assert.strictEqual(last.text("Settings.ini"), "newer");
        [next, last].forEach(each => each.files.close());
    });

test("a write that neither storage nor the journal could keep is told once, by the next page",
     async () => {
         const shared = browser();
         shared.local.full = true;
         for (const lost of [false, true]) {
             const left = await tab(shared);
             shared.idb.held = lost;
             left.write("SaveData.bin", `lost: ${lost}`);
             left.files.storeNow();
             left.files.storeNow();
             await turns();
             left.files.close();
             shared.idb.held = false;
             const next = await tab(shared);
             assert.strictEqual(next.said.tell.length, lost ? 1 : 0, next.said.tell);
             assert.ok(!lost || next.said.tell[0].includes("SaveData.bin"), next.said.tell);
             next.files.close();
         }
         // Storage that refuses a write says so at once, once.
         const refusing = await tab(shared);
         shared.idb.refused = true;
         refusing.write("Settings.ini", "a");
         refusing.write("Settings.ini", "b");
         await turns();
         assert.strictEqual(refusing.said.tell.length, 1, refusing.said.tell);
         refusing.files.close();
     });
