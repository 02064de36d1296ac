"use strict";
// Shared by the board page, the overlay and the hall page: following a scoreboard's push
// stream, and the words the audience reads.

// Calls show(state) with every newer state of the scoreboard at base ("" for this one, or
// "http://host:port/"), and online(true or false) as its stream opens or breaks; a broken
// stream (the scoreboard restarts) is opened again.
function followBoard(base, show, online) {
  let last = -1;  // the newest sequence shown; a restarted scoreboard counts from 1 again
  const take = (s) => {
    if (s.sequence < last) return;
    last = s.sequence;
    show(s);
  };
  const open = () => {
    const source = new EventSource(base + "events");
    source.onopen = () => { last = -1; online(true); };
    source.onmessage = (m) => { online(true); take(JSON.parse(m.data)); };
    source.onerror = () => {
      online(false);
      if (source.readyState === EventSource.CLOSED) setTimeout(open, 2000);
    };
  };
  fetch(base + "state.json").then((r) => r.json()).then(take).catch(() => {});
  open();
}

// The mats a hall page shows, handed to use([{title, base}]): those named in its address
// (?matten=a,b,c) win; else those of this scoreboard's settings ([halle] matten); else this
// scoreboard alone.
function hallMats(use) {
  const params = new URLSearchParams(location.search);
  const named = (params.get("matten") || params.get("mats") || "");
  const asMats = (list) => list.map((m) => m.trim()).filter((m) => m.length > 0).map((m) => {
    const base = /^https?:\/\//.test(m) ? m.replace(/\/+$/, "") : "http://" + m;
    return { title: m.replace(/^https?:\/\//, ""), base };
  });
  const own = [{ title: location.host, base: "" }];
  if (asMats(named.split(",")).length > 0) return use(asMats(named.split(",")));
  fetch("halle.json").then((r) => r.json())
      .then((h) => { const l = asMats(h.matten || []); use(l.length > 0 ? l : own); })
      .catch(() => use(own));
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
  followBoard(mat.base ? mat.base + "/" : "", (s) => show(card, s), (on) => {
    if (on) card.since = null;
    else if (!card.since) card.since = new Date();
    node.classList.toggle("offline", !on);
    const text = on ? onlineMark : offlineText(card.since);
    if (stateNode.textContent !== text) stateNode.textContent = text;
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
    followMatCard(mat, node, node.querySelector(".state"), onlineMark, show);
  });
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
