import flash.Lib;
import flash.display.Sprite;
import flash.events.Event;

// A square that crosses the stage and changes colour every frame, so that
// playing and stopping show in the pixels.
class Anim {
  static var frame = 0;

  static function main() {
    var square = new Sprite();
    Lib.current.addChild(square);
    Lib.current.stage.addEventListener(Event.ENTER_FRAME, function(_) {
      frame++;
      var g = square.graphics;
      g.clear();
      g.beginFill(((frame * 37) % 256) << 16 | ((frame * 11) % 256) << 8 | 0x40);
      g.drawRect(0, 0, 120, 120);
      g.endFill();
      square.x = (frame * 9) % 280;
      square.y = 60 + (frame * 5) % 120;
    });
  }
}
