import flash.Lib;
import flash.display.Shape;
import flash.events.Event;
import flash.net.SharedObject;

// Saves more than a game may keep. Left half: green when flushing a shared
// object of about 4 MB reported a failure, red when it claimed success.
// Right half: green when a small save after it was flushed, red when not.
// Played under a name that holds "flood", it then saves a new 64 KB object
// every frame for as long as it runs.
class Hoard {
  static function flushed(so:SharedObject):Bool {
    try {
      return so.flush() == "flushed";
    } catch (e:Dynamic) {
      return false;
    }
  }

  static function half(colour:Int, x:Float) {
    var shape = new Shape();
    shape.graphics.beginFill(colour);
    shape.graphics.drawRect(x, 0, 200, 300);
    shape.graphics.endFill();
    Lib.current.addChild(shape);
  }

  static function text(length:Int):String {
    var buf = new StringBuf();
    var chunk = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ+/";
    for (i in 0...Std.int(length / chunk.length))
      buf.add(chunk);
    return buf.toString();
  }

  static function main() {
    var big = SharedObject.getLocal("big");
    big.data.blob = text(3000000);
    half(flushed(big) ? 0xFF0000 : 0x00C000, 0);

    var small = SharedObject.getLocal("small");
    small.data.count = small.data.count == null ? 1 : small.data.count + 1;
    half(flushed(small) ? 0x00C000 : 0xFF0000, 200);

    if (Lib.current.loaderInfo.url.indexOf("flood") >= 0) {
      var blob = text(65536);
      var n = 0;
      Lib.current.stage.addEventListener(Event.ENTER_FRAME, function(_) {
        var so = SharedObject.getLocal("flood" + n++);
        so.data.blob = blob;
        flushed(so);
      });
    }
  }
}
