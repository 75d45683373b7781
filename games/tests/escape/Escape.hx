import flash.Lib;
import flash.display.Shape;
import flash.events.MouseEvent;
import flash.external.ExternalInterface;
import flash.net.URLRequest;

// Tries every way a movie has to leave its page: script navigation, a new
// window, a link opened by the player, and a download; once at start and
// again on each click, when the browser would allow popups. The player must
// allow none; the stage stays blue while it keeps running.
class Escape {
  static function tryToLeave() {
    if (ExternalInterface.available) {
      ExternalInterface.call("eval", "window.open('quillet://player/?popup')");
      ExternalInterface.call("eval",
        "var a = document.createElement('a'); a.href = 'data:text/plain,x'; " +
        "a.download = 'x.txt'; document.body.appendChild(a); a.click();");
      ExternalInterface.call("eval",
        "var b = document.createElement('a'); b.href = 'quillet://player/?tab'; " +
        "b.target = '_blank'; document.body.appendChild(b); b.click();");
      ExternalInterface.call("eval",
        "setTimeout(function() { location.href = 'quillet://player/?away'; }, 200)");
    }
    Lib.getURL(new URLRequest("quillet://player/?link"), "_blank");
  }

  static function main() {
    var shape = new Shape();
    shape.graphics.beginFill(0x0000C0);
    shape.graphics.drawRect(0, 0, 400, 300);
    shape.graphics.endFill();
    Lib.current.addChild(shape);
    tryToLeave();
    Lib.current.stage.addEventListener(MouseEvent.MOUSE_DOWN, function(_) tryToLeave());
  }
}
