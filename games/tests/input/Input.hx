import flash.Lib;
import flash.display.Shape;
import flash.events.KeyboardEvent;
import flash.events.MouseEvent;

// The top half changes colour with each key press, the bottom half with each
// mouse click, so that focus and input can be seen in the pixels.
class Input {
  static var keyColours = [0xFF0000, 0x0000FF];
  static var clickColours = [0x00FF00, 0xFFFF00];

  static function paint(shape:Shape, colour:Int, top:Float) {
    shape.graphics.clear();
    shape.graphics.beginFill(colour);
    shape.graphics.drawRect(0, top, 400, 150);
    shape.graphics.endFill();
  }

  static function main() {
    var stage = Lib.current.stage;
    var keys = new Shape();
    var clicks = new Shape();
    Lib.current.addChild(keys);
    Lib.current.addChild(clicks);
    paint(keys, 0x808080, 0);
    paint(clicks, 0x808080, 150);
    var keyCount = 0;
    var clickCount = 0;
    stage.addEventListener(KeyboardEvent.KEY_DOWN, function(_) {
      paint(keys, keyColours[keyCount++ % 2], 0);
    });
    stage.addEventListener(MouseEvent.MOUSE_DOWN, function(_) {
      paint(clicks, clickColours[clickCount++ % 2], 150);
    });
  }
}
