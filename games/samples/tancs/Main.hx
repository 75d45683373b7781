package tancs;

import flash.Lib;
import flash.display.Sprite;
import flash.events.Event;
import flash.events.KeyboardEvent;
import flash.events.MouseEvent;
import flash.ui.Keyboard;
import shared.PixelFont;

/** Snake: steer with the arrow keys, eat the red apples, do not hit a wall or yourself. */
class Main extends Sprite {
	static inline var CELL = 20;
	static inline var COLS = 30;
	static inline var ROWS = 20;
	static inline var LEFT_X = 20;
	static inline var TOP_Y = 60;
	static inline var STEP_MS = 120;

	static inline var START = 0;
	static inline var PLAYING = 1;
	static inline var OVER = 2;

	var phase = START;
	var game:SnakeGame;
	var lastStep = 0;

	static function main() {
		Lib.current.addChild(new Main());
	}

	public function new() {
		super();
		addEventListener(Event.ADDED_TO_STAGE, onAdded);
	}

	function onAdded(_):Void {
		stage.addEventListener(KeyboardEvent.KEY_DOWN, onKey);
		stage.addEventListener(MouseEvent.MOUSE_DOWN, onClick);
		stage.addEventListener(Event.ENTER_FRAME, onFrame);
		redraw();
	}

	function begin():Void {
		game = new SnakeGame(COLS, ROWS, function(n) return Std.random(n));
		phase = PLAYING;
		lastStep = Lib.getTimer();
		redraw();
	}

	function onClick(_):Void {
		if (phase != PLAYING)
			begin();
	}

	function onKey(e:KeyboardEvent):Void {
		var dir = switch (e.keyCode) {
			case Keyboard.LEFT: SnakeGame.LEFT;
			case Keyboard.UP: SnakeGame.UP;
			case Keyboard.RIGHT: SnakeGame.RIGHT;
			case Keyboard.DOWN: SnakeGame.DOWN;
			default: -1;
		}
		if (phase == PLAYING) {
			if (dir >= 0)
				game.turn(dir);
		} else if (dir >= 0 || e.keyCode == Keyboard.SPACE || e.keyCode == Keyboard.ENTER) {
			begin();
			if (dir >= 0)
				game.turn(dir);
		}
	}

	function onFrame(_):Void {
		if (phase != PLAYING)
			return;
		var now = Lib.getTimer();
		var moved = false;
		// Catch up after a slow frame, but never by more than a few steps.
		var steps = 0;
		while (now - lastStep >= STEP_MS && steps < 3) {
			lastStep += STEP_MS;
			steps++;
			moved = true;
			if (!game.step()) {
				phase = OVER;
				break;
			}
		}
		if (now - lastStep >= STEP_MS)
			lastStep = now;
		if (moved)
			redraw();
	}

	function redraw():Void {
		var g = graphics;
		g.clear();
		g.beginFill(0x1B2631);
		g.drawRect(0, 0, 640, 480);
		g.endFill();
		PixelFont.draw(g, "SNAKE", LEFT_X, 18, 4, 0x7DCEA0);
		var score = game == null ? 0 : game.score;
		var text = "SCORE " + score;
		PixelFont.draw(g, text, 620 - PixelFont.width(text, 3), 22, 3, 0xF7DC6F);

		g.lineStyle(2, 0x566573);
		g.beginFill(0x0B1118);
		g.drawRect(LEFT_X - 1, TOP_Y - 1, COLS * CELL + 2, ROWS * CELL + 2);
		g.endFill();
		g.lineStyle();

		if (game != null) {
			if (game.food != null) {
				g.beginFill(0xE74C3C);
				g.drawCircle(LEFT_X + game.food[0] * CELL + CELL / 2, TOP_Y + game.food[1] * CELL + CELL / 2, CELL / 2 - 2);
				g.endFill();
			}
			for (i in 0...game.body.length) {
				var c = game.body[i];
				g.beginFill(i == 0 ? (game.alive ? 0xF4D03F : 0xC0392B) : (i % 2 == 0 ? 0x58D68D : 0x45B39D));
				g.drawRoundRect(LEFT_X + c[0] * CELL + 1, TOP_Y + c[1] * CELL + 1, CELL - 2, CELL - 2, 6, 6);
				g.endFill();
			}
		}

		if (phase == START) {
			panel(g);
			PixelFont.drawCentred(g, "SNAKE", 320, 150, 10, 0x7DCEA0);
			PixelFont.drawCentred(g, "ARROW KEYS TO STEER", 320, 250, 3, 0xFFFFFF);
			PixelFont.drawCentred(g, "PRESS SPACE OR CLICK TO START", 320, 300, 3, 0xF7DC6F);
		} else if (phase == OVER) {
			panel(g);
			PixelFont.drawCentred(g, game.full ? "YOU WIN" : "GAME OVER", 320, 160, 8, game.full ? 0x7DCEA0 : 0xE74C3C);
			PixelFont.drawCentred(g, "SCORE " + game.score, 320, 250, 5, 0xF7DC6F);
			PixelFont.drawCentred(g, "PRESS SPACE TO PLAY AGAIN", 320, 320, 3, 0xFFFFFF);
		}
	}

	function panel(g:flash.display.Graphics):Void {
		g.beginFill(0x000000, 0.7);
		g.drawRect(40, 120, 560, 250);
		g.endFill();
	}
}
