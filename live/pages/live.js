"use strict";
// Shared by the board page, the overlay and the hall page: following a scoreboard's push
// stream, and the words the audience reads.

// Calls show(state) with every newer state of the scoreboard at base ("" for this one, or
// "http://host:port/"), and online(true or false) as its stream opens or breaks; a broken
// stream (the scoreboard restarts) is opened again. A board that falls silent while its
// connection stays open (hung, asleep, its cable pulled) counts as broken too: a running
// clock sends every second, an idle board a beat every four seconds: two missed are silence.
const SILENT_RUNNING_MS = 3500, SILENT_IDLE_MS = 9000;
function followBoard(base, show, online, told) {
  let last = -1;  // the newest sequence shown; a restarted scoreboard counts from 1 again
  let heard = Date.now(), running = false, source = null, retry = null;
  const take = (s) => {
    if (s.sequence < last) return;
    last = s.sequence;
    running = !!(s.clock && s.clock.running);
    show(s);
  };
  const again = () => {
    if (retry === null) retry = setTimeout(() => { retry = null; open(); }, 2000);
  };
  const open = () => {
    heard = Date.now();
    try {
      source = new EventSource(base + "events");
    } catch (e) {  // an address the browser cannot even try: told as offline, tried again
      source = null;
      online(false);
      again();
      return;
    }
    source.onopen = () => { last = -1; heard = Date.now(); online(true); };
    source.onmessage = (m) => { heard = Date.now(); online(true); take(JSON.parse(m.data)); };
    source.addEventListener("beat", () => { heard = Date.now(); online(true); });
    // Too many screens behind one address for this board: said on the page, tried again in a
    // while, never by pushing another screen off.
    source.addEventListener("crowded", (m) => {
      source.close();
      source = null;
      online(false);
      if (told) told(m.data);
      setTimeout(open, 30000);
    });
    source.onerror = () => {
      online(false);
      if (source && source.readyState === EventSource.CLOSED) again();
    };
  };
  setInterval(() => {
    if (!source || Date.now() - heard < (running ? SILENT_RUNNING_MS : SILENT_IDLE_MS)) return;
    source.close();
    source = null;
    running = false;
    online(false);
    open();
  }, 1000);
  fetch(base + "state.json").then((r) => r.json()).then(take).catch(() => {});
  open();
}

// The mats a hall page shows, handed to use([{title, base, invalid}], configured): those
// named in its address (?matten=a,b,c) win; else those of this scoreboard's settings ([halle]
// matten); else this scoreboard alone (configured false). An address that is no address
// (a port of 99999, a second colon, an unclosed "[") gets invalid set and is followed by no
// one; the others are followed as always.
function hallMats(use) {
  const params = new URLSearchParams(location.search);
  const named = (params.get("matten") || params.get("mats") || "");
  const asMat = (m) => {
    const base = /^https?:\/\//.test(m) ? m.replace(/\/+$/, "") : "http://" + m;
    const title = m.replace(/^https?:\/\//, "");
    try {
      const url = new URL(base);
      const hostPort = /^https?:\/\/(\[[0-9a-fA-F:.]+\]|[^\/:\[\]]+)(:(\d{1,5}))?(\/.*)?$/.exec(base);
      const port = hostPort && hostPort[3] ? Number(hostPort[3]) : 80;
      if (!hostPort || !url.hostname || port < 1 || port > 65535) throw new Error("address");
      return { title, base };
    } catch (e) {
      return { title, base: "", invalid: true };
    }
  };
  const asMats = (list) => list.map((m) => m.trim()).filter((m) => m.length > 0).map(asMat);
  const own = [{ title: location.host, base: "" }];
  if (asMats(named.split(",")).length > 0) return use(asMats(named.split(",")), true);
  fetch("halle.json").then((r) => r.json())
      .then((h) => {
        const l = asMats(h.matten || []);
        use(l.length > 0 ? l : own, l.length > 0);
      })
      .catch(() => use(own, false));
}

// "keine Verbindung seit 14:05" for a mat whose board has not answered since then.
function offlineText(since) {
  const two = (n) => String(n).padStart(2, "0");
  return "keine Verbindung seit " + two(since.getHours()) + ":" + two(since.getMinutes());
}

// One mat's card on a hall page: follows the mat's board into show(card, state); while the
// board cannot be reached the card is pale ("offline") and its state line says since when
// (the first failure counts, not each retry); online it reads onlineMark.
function followMatCard(mat, node, stateNode, onlineMark, show) {
  const card = { node, title: mat.title, since: new Date() };
  node.classList.add("offline");
  stateNode.textContent = offlineText(card.since);
  let toldText = "";
  // A resized window (a TV turned, a browser made smaller) fits the names anew at once, not
  // only with the mat's next change.
  window.addEventListener("resize", () => { if (card.last) show(card, card.last); });
  followBoard(mat.base ? mat.base + "/" : "", (s) => { card.last = s; show(card, s); }, (on) => {
    if (on) { card.since = null; toldText = ""; }
    else if (!card.since) card.since = new Date();
    node.classList.toggle("offline", !on);
    const text = on ? onlineMark : toldText || offlineText(card.since);
    if (stateNode.textContent !== text) stateNode.textContent = text;
  }, (text) => {
    toldText = text;
    stateNode.textContent = text;
  });
  return card;
}

// A card for each mat from the page's template "mat" (ids mat1, mat2, ...), its title at
// titleSelector, its state line at ".state", each following its board.
function addMatCards(mats, grid, titleSelector, onlineMark, show) {
  mats.forEach((mat, i) => {
    const node = document.getElementById("mat").content.firstElementChild.cloneNode(true);
    node.id = "mat" + (i + 1);
    node.querySelector(titleSelector).textContent = mat.title;
    grid.appendChild(node);
    if (mat.invalid) {
      // Said on its own card; the mats after it are shown as always.
      node.classList.add("offline", "invalid");
      node.querySelector(".state").textContent = "Adresse ungültig: " + mat.title;
      return;
    }
    try {
      followMatCard(mat, node, node.querySelector(".state"), onlineMark, show);
    } catch (e) {
      node.classList.add("offline", "invalid");
      node.querySelector(".state").textContent = "Adresse ungültig: " + mat.title;
    }
  });
}

// A side's colours as the board draws it: the bar of a fighter on the hall's pages is the
// colour of his judogi's side on the board (the upper side is white in the shipped settings).
function sideColour(side) {
  return side && side.colour ? side.colour : { back: "", font: "" };
}

// A bout's classes as the hall reads them: "Männer -81".
function classesOf(b) { return ((b.age_class || "") + " " + (b.weight_class || "")).trim(); }

// "Haltegriff Blau 12" while a side holds (the clock counting or standing), "" otherwise;
// after the bout the seconds held stay, without a holder.
function holdDownText(s) {
  const h = s.hold_down;
  if (h.holder) return "Haltegriff " + (h.holder === "blue" ? "Blau" : "Weiß") + " " + h.text;
  return h.seconds > 0 ? h.text : "";
}

// How a side won, in the judoka's word: "Ippon" for an Ippon (also by hold-down or by the
// opponent's Hansoku-make), "Sieger" for any other win.
function winText(side) {
  return side.won_by_ippon || (side.ippon.text !== "0" && side.ippon.text !== "") ? "Ippon"
                                                                                  : "Sieger";
}

// "Müller, Jan-Hendrik" as "Müller, J.-H.": the first name gives way before the surname, and
// two fighters of one family stay apart.
function shortFirstName(name) {
  const comma = name.indexOf(",");
  if (comma < 0) return name;
  const first = name.slice(comma + 1).trim();
  const initials = first.split(/([ -])/).map((p) => (p === " " || p === "-" || p === "")
                                                        ? p : p[0] + ".").join("");
  return name.slice(0, comma) + ", " + initials;
}

// A name in its box, whole wherever it can be: its font shrinks to fit (down to minScale of
// the page's size), then it may take two lines (and shrink a little more), then the first
// name is shortened; only a surname too long for all of that ends with "…". node's box sets
// the width; its text is the name, its title the whole name.
function fitName(node, name, minScale, minPx = 0) {
  const key = name + "|" + node.clientWidth + "|" + minScale + "|" + minPx;
  if (node.dataset.fit === key) return;
  node.dataset.fit = key;
  node.title = name;
  node.style.fontSize = "";
  node.style.whiteSpace = "nowrap";
  node.style.maxHeight = "";
  node.textContent = name;
  const base = parseFloat(getComputedStyle(node).fontSize);
  // Never below the size the page promises to be read at (minPx), whatever the name.
  const size = (scale) => {
    node.style.fontSize = Math.max(base * scale, Math.min(base, minPx)).toFixed(1) + "px";
  };
  const lines = (two) => {
    node.style.whiteSpace = two ? "normal" : "nowrap";
    node.style.maxHeight = two ? "2.3em" : "";
  };
  const fits = () => node.scrollWidth <= node.clientWidth + 1 &&
                     node.scrollHeight <= node.clientHeight + 1;
  const tryScales = (from, to) => {
    for (let scale = from; scale >= to - 0.001; scale -= 0.05) {
      size(scale);
      if (fits()) return true;
    }
    return false;
  };
  const smallest = minScale * 0.75;
  if (tryScales(1, minScale)) return;
  // The first name gives way on one line before the name takes two.
  node.textContent = shortFirstName(name);
  if (tryScales(minScale, minScale)) return;
  node.textContent = name;
  lines(true);
  if (tryScales(1, smallest)) return;
  node.textContent = shortFirstName(name);
  if (tryScales(minScale, smallest)) return;
  lines(false);
}
