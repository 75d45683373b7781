import flash.Lib;
import flash.display.Shape;
import flash.net.SharedObject;

// Counts its runs in a shared object: the stage is red on the first run and
// green once a saved count was found, with one white bar per earlier run.
class Save {
  static function main() {
    var so = SharedObject.getLocal("quillet-test");
    var count:Int = so.data.count == null ? 0 : so.data.count;
    var shape = new Shape();
    var g = shape.graphics;
    g.beginFill(count > 0 ? 0x00C000 : 0xC00000);
    g.drawRect(0, 0, 400, 300);
    g.endFill();
    for (i in 0...Std.int(Math.min(count, 10))) {
      g.beginFill(0xFFFFFF);
      g.drawRect(10 + i * 38, 260, 30, 30);
      g.endFill();
    }
    Lib.current.addChild(shape);
    so.data.count = count + 1;
    so.flush();
  }
}
