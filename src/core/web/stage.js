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

  // On a touch screen: buttons that press and release the game's keys, held
  // for as long as the finger stays on them.
  const keyCodes = {ArrowUp: 38, ArrowLeft: 37, ArrowDown: 40, ArrowRight: 39, Escape: 27};
  const pad = document.getElementById("pad");
  if (navigator.maxTouchPoints > 0 || matchMedia("(any-pointer: coarse)").matches) {
    pad.hidden = false;
  }
  pad.addEventListener("contextmenu", event => event.preventDefault());
  for (const button of pad.querySelectorAll("button[data-key]")) {
    const key = button.dataset.key;
    let held = false;
    const send = type => dispatchEvent(new KeyboardEvent(type, {
      key: key, code: key, keyCode: keyCodes[key], which: keyCodes[key], bubbles: true, cancelable: true}));
    button.addEventListener("pointerdown", event => {
      event.preventDefault();
      button.setPointerCapture(event.pointerId);
      if (!held) {
        held = true;
        send("keydown");
      }
    });
    const release = () => {
      if (held) {
        held = false;
        send("keyup");
      }
    };
    for (const type of ["pointerup", "pointercancel", "lostpointercapture"]) {
      button.addEventListener(type, release);
    }
  }

  fit();
  return {
    room: () => ({width: room.clientWidth, height: room.clientHeight}),
    fullScreen: fullScreen,
    fullScreenEnded: () => {
      const was = ended;
      ended = false;
      return was;
    },
  };
})();
