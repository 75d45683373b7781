import flash.Lib;
import flash.display.GradientType;
import flash.display.Shape;
import flash.events.Event;
import flash.geom.Matrix;

// The frame benchmark's movie. Every frame shows its own number as 16 cells
// in a row across the middle of the stage (white 1, black 0, most significant
// bit on the left), Gray-coded so that a frame caught while it was being
// drawn still reads as one of its two neighbours. Under the row, 60 balls
// move over a gradient so that each frame costs the player real work.
class Frames {
  static inline var WIDTH = 640;
  static inline var HEIGHT = 480;
  static inline var CELLS = 16;
  static inline var ROW_HEIGHT = 32;
  static inline var BALLS = 60;

  static var seed = 12345;

  // The same balls on every run, so that runs cost the same.
  static function random(limit:Int):Int {
    seed = (seed * 1103515245 + 12345) & 0x7fffffff;
    return (seed >> 8) % limit;
  }

  static function main() {
    var root = Lib.current;
    // Centred, as Flash places a movie by default (Haxe's start-up code
    // pins it to the top left corner).
    root.stage.align = cast "";

    var backdrop = new Shape();
    var box = new Matrix();
    box.createGradientBox(WIDTH, HEIGHT, Math.PI / 4);
    backdrop.graphics.beginGradientFill(GradientType.LINEAR, [0x1d3a6e, 0x3f7a3a, 0x7a2d5c],
      [1, 1, 1], [0, 128, 255], box);
    backdrop.graphics.drawRect(0, 0, WIDTH, HEIGHT);
    backdrop.graphics.endFill();
    root.addChild(backdrop);

    var balls = [];
    var speeds = [];
    for (i in 0...BALLS) {
      var radius = 10 + random(26);
      var ball = new Shape();
      var shading = new Matrix();
      shading.createGradientBox(radius * 2, radius * 2, 0, -radius * 1.3, -radius * 1.3);
      ball.graphics.beginGradientFill(GradientType.RADIAL, [0xffffff, random(0xffffff), 0x000000],
        [1, 1, 1], [0, 140, 255], shading);
      ball.graphics.drawCircle(0, 0, radius);
      ball.graphics.endFill();
      ball.x = radius + random(WIDTH - 2 * radius);
      ball.y = radius + random(HEIGHT - 2 * radius);
      root.addChild(ball);
      balls.push(ball);
      speeds.push({dx: random(9) - 4 + 0.5, dy: random(9) - 4 + 0.5, r: radius});
    }

    var row = new Shape();
    root.addChild(row);

    var frame = 0;
    root.stage.addEventListener(Event.ENTER_FRAME, function(_) {
      frame = (frame + 1) & 0xffff;
      for (i in 0...BALLS) {
        var ball = balls[i];
        var s = speeds[i];
        ball.x += s.dx;
        ball.y += s.dy;
        if (ball.x < s.r || ball.x > WIDTH - s.r)
          s.dx = -s.dx;
        if (ball.y < s.r || ball.y > HEIGHT - s.r)
          s.dy = -s.dy;
      }
      var gray = frame ^ (frame >> 1);
      var g = row.graphics;
      g.clear();
      g.beginFill(0x000000);
      g.drawRect(0, (HEIGHT - ROW_HEIGHT) / 2, WIDTH, ROW_HEIGHT);
      g.endFill();
      var cell = WIDTH / CELLS;
      for (i in 0...CELLS) {
        if ((gray >> (CELLS - 1 - i)) & 1 == 1) {
          g.beginFill(0xffffff);
          g.drawRect(i * cell, (HEIGHT - ROW_HEIGHT) / 2, cell, ROW_HEIGHT);
          g.endFill();
        }
      }
    });
  }
}
