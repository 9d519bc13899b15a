// The page's stage (page.html's #stage): the canvas shown whole in the room
// the page gives it, the browser's full screen for the stage when the game
// asks for it, and on a touch screen the buttons that stand for keys.
// Module.stage is what the game's side (Display.cpp) uses of it.
Module.stage = (() => {
  const stage = document.getElementById("stage");
  const room = document.getElementById("room");
  const canvas = Module.canvas;

  // The canvas keeps the game's size in pixels and is shown scaled to the
  // room, its aspect kept: down only in the page, up or down in full screen.
  // SDL reads the pointer through the scale it is shown at.
  const fit = () => {
    if (!canvas.width || !canvas.height) {
      return;
    }
    const whole = document.fullscreenElement === stage ? Infinity : 1;
    const scale = Math.min(room.clientWidth / canvas.width, room.clientHeight / canvas.height, whole);
    canvas.style.width = Math.floor(canvas.width * scale) + "px";
    canvas.style.height = Math.floor(canvas.height * scale) + "px";
  };
  new MutationObserver(fit).observe(canvas, {attributes: true, attributeFilter: ["width", "height"]});
  new ResizeObserver(fit).observe(room);

  // Full screen as the game last asked for it; whatever else ends it (the
  // browser's Escape, F11, its own controls) or refuses it is told once.
  let wanted = false;
  let ended = false;
  const lost = () => {
    if (wanted) {
      wanted = false;
      ended = true;
    }
  };
  document.addEventListener("fullscreenchange", () => {
    if (!document.fullscreenElement) {
      lost();
    }
    fit();
  });
  const fullScreen = on => {
    wanted = on;
    if (on && document.fullscreenElement !== stage) {
      try {
        Promise.resolve(stage.requestFullscreen()).catch(lost);
      } catch (refused) {
        lost();
      }
    } else if (!on && document.fullscreenElement) {
      document.exitFullscreen().catch(() => {});
    }
  };

  // On a touch screen: buttons that press and release the game's keys. A key
  // is held while a finger rests on its button; a finger slid onto another
  // button releases the first key and presses the other, and one slid off
  // every button holds none.
  const keyCodes = {ArrowUp: 38, ArrowLeft: 37, ArrowDown: 40, ArrowRight: 39, Escape: 27, Enter: 13};
  const pad = document.getElementById("pad");
  if (navigator.maxTouchPoints > 0 || matchMedia("(any-pointer: coarse)").matches) {
    pad.hidden = false;
  }
  pad.addEventListener("contextmenu", event => event.preventDefault());
  const send = (type, key) => dispatchEvent(new KeyboardEvent(type, {
    key: key, code: key, keyCode: keyCodes[key], which: keyCodes[key], bubbles: true, cancelable: true}));
  const fingers = new Map(); // pointer -> the key it holds, or null
  const holding = key => Array.from(fingers.values()).includes(key);
  const hold = (pointer, key) => {
    const was = fingers.get(pointer);
    fingers.set(pointer, key);
    if (was && was !== key && !holding(was)) {
      send("keyup", was);
    }
    if (key && was !== key && Array.from(fingers.values()).filter(held => held === key).length === 1) {
      send("keydown", key);
    }
  };
  const keyUnder = event => {
    const under = document.elementFromPoint(event.clientX, event.clientY);
    const button = under && under.closest("#pad button[data-key]");
    return button ? button.dataset.key : null;
  };
  // The pad keeps the finger (rather than the button it landed on) so that
  // its moves are seen wherever it goes.
  pad.addEventListener("pointerdown", event => {
    event.preventDefault();
    pad.setPointerCapture(event.pointerId);
    hold(event.pointerId, keyUnder(event));
  });
  pad.addEventListener("pointermove", event => {
    if (fingers.has(event.pointerId)) {
      hold(event.pointerId, keyUnder(event));
    }
  });
  for (const type of ["pointerup", "pointercancel", "lostpointercapture"]) {
    pad.addEventListener(type, event => {
      if (fingers.has(event.pointerId)) {
        hold(event.pointerId, null);
        fingers.delete(event.pointerId);
      }
    });
  }

  // The keyboard plays while the canvas has the focus (the pad's keys come
  // from the page itself); Tab leaves it as on any page, and a press on the
  // canvas gives it back. A key let go elsewhere still reaches the game,
  // which would otherwise hold it on.
  canvas.addEventListener("pointerdown", () => canvas.focus());
  addEventListener("keydown", event => {
    if (event.key === "Tab" || (event.target !== window && event.target !== canvas)) {
      event.stopImmediatePropagation();
    }
  }, true);
  canvas.focus({preventScroll: true});

  // A size the page chose itself for the picture (its room's, at a first
  // start) is noted for the page's folder, so that a turned phone and a later
  // start choose again, while a size the player applied stays.
  const place = location.pathname.slice(0, location.pathname.lastIndexOf("/") + 1);
  const noteName = "quarrow-page-size:" + place;
  const noted = () => {
    try {
      return localStorage.getItem(noteName);
    } catch (blocked) {
      return null;
    }
  };
  let turned = false;
  matchMedia("(orientation: landscape)").addEventListener("change", () => { turned = true; });

  fit();
  return {
    room: () => ({width: room.clientWidth, height: room.clientHeight}),
    fullScreen: fullScreen,
    fullScreenEnded: () => {
      const was = ended;
      ended = false;
      return was;
    },
    turned: () => {
      const was = turned;
      turned = false;
      return was;
    },
    choice: () => {
      const size = /^(\d+)x(\d+)$/.exec(noted() || "");
      return size ? {width: Number(size[1]), height: Number(size[2])} : null;
    },
    noteChoice: (width, height) => {
      try {
        localStorage.setItem(noteName, width + "x" + height);
      } catch (refused) {
      }
    },
  };
})();
