// The player's files (Resources/Data) kept in the browser's IndexedDB as a
// folder that every tab of the page shares, as copies of the game on the
// desktop share one folder: a tab stores each file it wrote, one record a
// file, and never stores, reverts or deletes a file it did not write; the
// last writer of a file wins. Storage is kept per page folder (the page's
// path without its file name), so two copies of the game on one site keep
// their own files.
//
// IndexedDB finishes its work in later turns, which a page being left may
// not get: on leave the files not yet stored also go into a journal in
// localStorage, which is written at once, and the next start stores them.
// Whatever the storage holds that is not a file of the folder or not bytes
// (another program's, or spoilt) is skipped with one line in the console.
//
// Linked into the page's script ahead of the runtime; Node's tests load it
// as a module (see tests/core/playerFiles.test.js).

// Where a page keeps its files: one database, journal and note of lost
// changes for each page folder.
function playerFilesPlace(place) {
    return {
        database : "quarrow:" + place,
        journal : "quarrow-unstored:" + place,
        unkept : "quarrow-unkept:" + place
    };
}

// The files the game writes in its folder: no tab of it stores others.
const gameFileNames = ["Settings.ini", "SaveData.bin"].concat(
    Array.from({length : 10}, (_, at) => "level" + at + ".level"));

// The record that says, in the folder's database itself, that the files of the
// game's earlier, site-wide pages have been taken up.
const earlierTakenUp = "quarrow:earlier-files-taken-up";

// The path without "." and ".." parts and doubled slashes.
function normalisedPath(path) {
    const parts = [];
    for (const part of path.split("/")) {
        if (part === "..") {
            parts.pop();
        } else if (part !== "" && part !== ".") {
            parts.push(part);
        }
    }
    return (path.startsWith("/") ? "/" : "") + parts.join("/");
}

function sameBytes(one, other) {
    if (!one || !other || one.length !== other.length) {
        return false;
    }
    for (let at = 0; at < one.length; at++) {
        if (one[at] !== other[at]) {
            return false;
        }
    }
    return true;
}

function base64Of(bytes) {
    let text = "";
    for (let at = 0; at < bytes.length; at += 0x8000) {
        text += String.fromCharCode.apply(null, bytes.subarray(at, at + 0x8000));
    }
    return btoa(text);
}

// Opens the folder's storage and fills the game's copy of the folder from it.
// `options`: folder (the path the game reads, e.g. "/Resources/Data"), place
// (the page folder), files (the game's copy: list() of the paths of its
// regular files, read, write, remove), indexedDB, localStorage,
// sessionStorage, channel (a BroadcastChannel to the page's other tabs, or
// null), log (a line for the console), tell (words the player sees). Resolves
// to {store, storeNow, close}; rejects when the browser refuses the storage.
async function openPlayerFiles(options) {
    const folder = normalisedPath(options.folder);
    const names = playerFilesPlace(options.place);
    const files = options.files;
    const kind = "files";
    let channel = options.channel;
    const opened = version => new Promise((resolve, reject) => {
        const request = version ? options.indexedDB.open(names.database, version)
                                : options.indexedDB.open(names.database);
        request.onupgradeneeded = event => {
            if (!request.result.objectStoreNames.contains(kind)) {
                request.result.createObjectStore(kind);
            }
        };
        request.onsuccess = () => resolve(request.result);
        request.onerror = () => reject(request.error);
        // Another page of the site holds the database open and does not let
        // go: this start keeps nothing, and lets go itself once it gets it.
        request.onblocked = () => {
            options.tell("Another page of this site holds the game's storage open: this game keeps nothing" +
                         " until that page is closed and this one reloaded.");
            request.onsuccess = () => request.result.close();
            reject(new Error("another page of this site holds it open"));
        };
    });
    let db = await opened(0);
    if (!db.objectStoreNames.contains(kind)) {
        // A database of that name without the files' store: another program's, or spoilt.
        const version = db.version + 1;
        db.close();
        db = await opened(version);
    }
    // A newer game in another tab changes the storage's layout: this one lets go.
    db.onversionchange = () => db.close();

    const pathOf = key => {
        const path = typeof key === "string" ? normalisedPath(key) : "";
        const slash = path.lastIndexOf("/");
        return slash > 0 && path.slice(0, slash) === folder ? path : null;
    };
    const gameFile = key => {
        const path = pathOf(key);
        return path !== null && gameFileNames.includes(path.slice(folder.length + 1));
    };
    const dropped = [];
    const drop = (what, key, why) =>
        dropped.push(what + " " + JSON.stringify(key) + " (" + why + ")");
    const outside = "not a file of " + folder.slice(1);
    const request = (source, call) => new Promise((resolve, reject) => {
        const asked = call(source);
        asked.onsuccess = () => resolve(asked.result);
        asked.onerror = () => reject(asked.error);
    });

    // What the storage holds, read in one transaction so that keys and values match.
    const reading = db.transaction(kind).objectStore(kind);
    const all = await Promise.all([
        request(reading, store => store.getAllKeys()), request(reading, store => store.getAll())
    ]);
    const stored = new Map();
    let takenUp = false;
    all[0].forEach((key, at) => {
        const path = pathOf(key);
        const value = all[1][at];
        if (key === earlierTakenUp) {
            takenUp = true;
        } else if (!path) {
            drop("record", key, outside);
        } else if (!value || !(value.contents instanceof Uint8Array)) {
            drop("record", key, "not bytes");
        } else {
            // Two keys may name one file ("./" in one): the later write is the file.
            const time = Number.isFinite(value.time) ? value.time : 0;
            if (!stored.has(path) || stored.get(path).time <= time) {
                stored.set(path, {time : time, contents : value.contents});
            }
        }
    });

    // Until its database says they are taken up, a page folder's start takes
    // up the files that the game's earlier pages kept for the whole site: a
    // database named after the folder, whose store FILE_DATA holds
    // {timestamp, contents} by path. The note goes with the files, in one
    // transaction: a start stopped before that takes them up again.
    const earlier = new Map();
    let takingUp = false;
    const listed = !takenUp && options.indexedDB.databases ? await options.indexedDB.databases() : [];
    if (listed.some(each => each.name === folder)) {
        try {
            const old = await new Promise((resolve, reject) => {
                const opening = options.indexedDB.open(folder);
                opening.onsuccess = () => resolve(opening.result);
                opening.onerror = () => reject(opening.error);
            });
            const oldStore = old.transaction("FILE_DATA").objectStore("FILE_DATA");
            const both = await Promise.all([
                request(oldStore, store => store.getAllKeys()),
                request(oldStore, store => store.getAll())
            ]);
            old.close();
            both[0].forEach((key, at) => {
                const value = both[1][at];
                if (pathOf(key) && !stored.has(pathOf(key)) && value &&
                    value.contents instanceof Uint8Array) {
                    const time = value.timestamp instanceof Date ? value.timestamp.getTime() : 0;
                    earlier.set(pathOf(key), {time : time, contents : value.contents});
                }
            });
            takingUp = true;
        } catch (unreadable) {
            options.log("The files of the game's earlier pages are not read: " + unreadable);
        }
    }

    // The journal: writes of pages left before they were stored, each kept
    // unless the storage has a later write of that file.
    const journalled = () => {
        try {
            const entries = JSON.parse(options.localStorage.getItem(names.journal));
            return entries && typeof entries === "object" && !Array.isArray(entries) ? entries : {};
        } catch (unreadable) {
            return {};
        }
    };
    const replayed = new Map();
    const journal = journalled();
    for (const key of Object.keys(journal)) {
        const path = pathOf(key);
        const entry = journal[key];
        let contents = null;
        try {
            if (typeof entry.bytes === "string") {
                contents = Uint8Array.from(atob(entry.bytes), letter => letter.charCodeAt(0));
            }
        } catch (notBase64) {
        }
        if (!path) {
            drop("journal entry", key, outside);
        } else if (!contents || !Number.isFinite(entry.time)) {
            drop("journal entry", key, "not bytes");
        } else if (!stored.has(path) || stored.get(path).time <= entry.time) {
            replayed.set(path, {record : {time : entry.time, contents : contents}, entry : entry});
        }
    }
    if (dropped.length) {
        options.log("Skipped in this page's storage: " + dropped.join(", ") + ".");
    }

    const known = new Map();   // path -> bytes as this tab last stored or read them
    const pending = new Map(); // path -> the write not known to be stored (null: a removal)
    const forget = (entries) => {
        // Only entries still as they were: another tab may have journalled since.
        const now = journalled();
        for (const path of Object.keys(entries)) {
            const entry = now[path];
            if (entry && entry.time === entries[path].time && entry.bytes === entries[path].bytes) {
                delete now[path];
            }
        }
        try {
            if (Object.keys(now).length) {
                options.localStorage.setItem(names.journal, JSON.stringify(now));
            } else {
                options.localStorage.removeItem(names.journal);
            }
        } catch (refused) {
        }
    };
    // Writes a page left could keep neither in storage nor in the journal, by
    // the time of each, noted in the tab's session so that its next page can
    // say whether they were lost.
    const unkept = () => {
        try {
            const notes = JSON.parse(options.sessionStorage.getItem(names.unkept));
            return notes && typeof notes === "object" ? notes : {};
        } catch (unreadable) {
            return {};
        }
    };
    const noteUnkept = notes => {
        try {
            if (Object.keys(notes).length) {
                options.sessionStorage.setItem(names.unkept, JSON.stringify(notes));
            } else {
                options.sessionStorage.removeItem(names.unkept);
            }
        } catch (refused) {
        }
    };
    let told = false;
    const tellOnce = words => {
        if (!told) {
            told = true;
            options.tell(words);
        }
    };

    const journalEntries = {}; // path -> the entry this tab journalled, until stored
    const write = changes => {
        for (const change of changes) {
            pending.set(change.path, change.record);
        }
        const settle = stored => {
            const forgotten = {};
            for (const change of changes) {
                // A journal entry goes once its write is stored, even when the
                // game has written the file again since.
                const journalled = journalEntries[change.path];
                if (journalled && journalled.record === change.record) {
                    forgotten[change.path] = journalled.entry;
                    delete journalEntries[change.path];
                }
                if (pending.get(change.path) !== change.record) {
                    continue;
                }
                pending.delete(change.path);
                if (!stored) {
                    known.delete(change.path); // written again with the next change
                }
            }
            if (stored) {
                forget(forgotten);
                const notes = unkept();
                if (changes.some(change =>
                                     change.record && notes[change.path] === change.record.time)) {
                    for (const change of changes) {
                        delete notes[change.path];
                    }
                    noteUnkept(notes);
                }
                if (channel) {
                    channel.postMessage(changes.map(change => change.path).filter(gameFile));
                }
            }
        };
        const refused = reason => {
            settle(false);
            tellOnce("Your latest changes could not be kept: the browser refused to store them (" +
                     reason + ").");
        };
        try {
            const writing = db.transaction(kind, "readwrite");
            const store = writing.objectStore(kind);
            for (const change of changes) {
                if (change.record) {
                    store.put(change.record, change.path);
                } else {
                    store.delete(change.path);
                }
            }
            writing.oncomplete = () => settle(true);
            writing.onabort = () => refused(writing.error || "aborted");
        } catch (closed) {
            refused(closed);
        }
    };

    if (takingUp) {
        const changes = [{path : earlierTakenUp, record : {time : Date.now()}}];
        earlier.forEach((record, path) => {
            stored.set(path, record);
            changes.push({path : path, record : record});
        });
        write(changes);
    }
    // The journal's writes stored and given to the game.
    if (replayed.size) {
        const changes = [];
        replayed.forEach((replay, path) => {
            journalEntries[path] = {record : replay.record, entry : replay.entry};
            stored.set(path, replay.record);
            changes.push({path : path, record : replay.record});
        });
        write(changes);
    }
    stored.forEach((record, path) => {
        files.write(path, record.contents);
        known.set(path, record.contents);
    });

    // Changes a page left could keep neither in storage nor in the journal.
    const lost = unkept();
    const missing =
        Object.keys(lost).filter(path => !stored.has(path) || stored.get(path).time < lost[path]);
    noteUnkept({});
    if (missing.length) {
        tellOnce("The changes made just before this page was last left could not be kept (" +
                 missing.map(path => path.slice(folder.length + 1)).join(", ") +
                 "): the browser's storage was full.");
    }

    // Stores what the game changed in the folder since: each file written,
    // each removed, no other.
    const store = () => {
        const present = new Set(files.list());
        const changes = [];
        const time = Date.now();
        present.forEach(path => {
            const contents = files.read(path);
            if (!sameBytes(known.get(path), contents)) {
                known.set(path, contents);
                changes.push({path : path, record : {time : time, contents : contents}});
            }
        });
        known.forEach((contents, path) => {
            if (!present.has(path)) {
                known.delete(path);
                changes.push({path : path, record : null});
            }
        });
        if (changes.length) {
            write(changes);
        }
    };

    // For a page being left: what is not stored yet also goes into the journal.
    const storeNow = () => {
        store();
        const entries = {};
        pending.forEach((record, path) => {
            if (record && pathOf(path) && !(journalEntries[path] && journalEntries[path].record === record)) {
                entries[path] = {time : record.time, bytes : base64Of(record.contents)};
                journalEntries[path] = {record : record, entry : entries[path]};
            }
        });
        if (!Object.keys(entries).length) {
            return;
        }
        const now = journalled();
        for (const path of Object.keys(entries)) {
            if (!now[path] || !(now[path].time > entries[path].time)) {
                now[path] = entries[path];
            }
        }
        try {
            options.localStorage.setItem(names.journal, JSON.stringify(now));
        } catch (full) {
            const notes = unkept();
            for (const path of Object.keys(entries)) {
                notes[path] = entries[path].time;
                delete journalEntries[path];
            }
            noteUnkept(notes);
        }
    };

    // Another tab stored files: this tab's copy follows, but for files it
    // changed itself and has not stored yet. A tab of the game names each of
    // the game's files at most once: a longer message is another page's, and
    // none is read more than once.
    if (channel) {
        channel.onmessage = event => {
            const named = Array.isArray(event.data) && event.data.length <= gameFileNames.length
                              ? event.data.filter(gameFile).map(pathOf)
                              : [];
            const paths = Array.from(new Set(named));
            let reading = null;
            try {
                reading = paths.length ? db.transaction(kind).objectStore(kind) : null;
            } catch (closed) {
                options.log("The files another tab stored are not read: " + closed);
                return;
            }
            for (const path of paths) {
                const asked = reading.get(path);
                asked.onsuccess = () => {
                    const present = files.list().includes(path);
                    const unchanged =
                        present ? sameBytes(files.read(path), known.get(path)) : !known.has(path);
                    if (pending.has(path) || !unchanged) {
                        return;
                    }
                    const value = asked.result;
                    if (value && value.contents instanceof Uint8Array) {
                        files.write(path, value.contents);
                        known.set(path, value.contents);
                    } else if (value === undefined && present) {
                        files.remove(path);
                        known.delete(path);
                    }
                };
            }
        };
    }
    const close = () => {
        if (channel) {
            channel.close();
            channel = null;
        }
        db.close();
    };
    return {store : store, storeNow : storeNow, close : close};
}

if (typeof module !== "undefined") {
    module.exports = {openPlayerFiles : openPlayerFiles, playerFilesPlace : playerFilesPlace};
}
