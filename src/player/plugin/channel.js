// Runs after qwebchannel.js in the host page's own isolated world: it shares
// the page's DOM but none of its script objects, so neither Ruffle nor
// anything a movie might make run in the page can see the channel to the
// program. It passes the page's reports on; the program checks each one.
(() => {
  "use strict";
  const waiting = [];
  let bridge = null;

  const deliver = ([what, load, a, b]) => {
    switch (what) {
      case "ready": bridge.ready(); break;
      case "noruffle": bridge.noRuffle(); break;
      case "loaded": bridge.loaded(Number(load)); break;
      case "failed": bridge.failed(Number(load), String(a)); break;
      case "save": bridge.save(Number(load), String(a), String(b)); break;
      case "remove": bridge.remove(Number(load), String(a)); break;
    }
  };

  document.addEventListener("quillet-report", (event) => {
    let message;
    try {
      message = JSON.parse(event.detail);
    } catch (e) {
      return;
    }
    if (!Array.isArray(message))
      return;
    if (bridge)
      deliver(message);
    else
      waiting.push(message);
  });

  new QWebChannel(qt.webChannelTransport, (channel) => {
    bridge = channel.objects.page;
    for (const message of waiting.splice(0))
      deliver(message);
  });
})();
