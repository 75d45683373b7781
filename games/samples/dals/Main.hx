package dals;

import flash.Lib;
import flash.display.Graphics;
import flash.display.Sprite;
import flash.events.Event;
import flash.events.MouseEvent;
import shared.PixelFont;

/** Whack-a-mole: hit as many moles as you can in 30 seconds. */
class Main extends Sprite {
	static inline var HOLE_W = 120;
	static inline var HOLE_H = 40;

	static inline var START = 0;
	static inline var PLAYING = 1;
	static inline var OVER = 2;

	var phase = START;
	var field:MoleField;
	var best = 0;
	var overAt = 0;

	static function main() {
		Lib.current.addChild(new Main());
	}

	public function new() {
		super();
		addEventListener(Event.ADDED_TO_STAGE, onAdded);
	}

	function onAdded(_):Void {
		stage.addEventListener(MouseEvent.MOUSE_DOWN, onClick);
		stage.addEventListener(Event.ENTER_FRAME, onFrame);
		redraw(Lib.getTimer());
	}

	static function holeX(h:Int):Float {
		return 160 + (h % 3) * 160;
	}

	static function holeY(h:Int):Float {
		return 170 + Std.int(h / 3) * 110;
	}

	function onClick(e:MouseEvent):Void {
		var now = Lib.getTimer();
		if (phase == START || (phase == OVER && now - overAt > 800)) {
			field = new MoleField(now, function(n) return Std.random(n));
			phase = PLAYING;
			return;
		}
		if (phase != PLAYING)
			return;
		// The mole's body rises above its hole, so the target reaches up too.
		var hole = -1;
		for (h in 0...MoleField.HOLES) {
			var dx = (e.stageX - holeX(h)) / (HOLE_W / 2);
			var dy = e.stageY - holeY(h);
			if (Math.abs(dx) <= 1 && dy >= -70 && dy <= HOLE_H / 2)
				hole = h;
		}
		if (hole >= 0)
			field.hit(hole, now);
	}

	function onFrame(_):Void {
		var now = Lib.getTimer();
		if (phase == PLAYING) {
			field.update(now);
			if (field.finished) {
				phase = OVER;
				overAt = now;
				if (field.score > best)
					best = field.score;
			}
		}
		redraw(now);
	}

	function redraw(now:Float):Void {
		var g = graphics;
		g.clear();
		g.beginFill(0x7DCEA0);
		g.drawRect(0, 0, 640, 480);
		g.endFill();
		g.beginFill(0x1E8449);
		g.drawRect(0, 0, 640, 70);
		g.endFill();
		PixelFont.draw(g, "MOLES", 20, 20, 4, 0xFDFEFE);
		if (field != null) {
			var score = "SCORE " + field.score;
			PixelFont.draw(g, score, 200, 24, 3, 0xF7DC6F);
			var time = "TIME " + Math.ceil(field.remainingMs(now) / 1000);
			PixelFont.draw(g, time, 620 - PixelFont.width(time, 3), 24, 3, 0xFDFEFE);
		}
		for (h in 0...MoleField.HOLES) {
			var x = holeX(h), y = holeY(h);
			g.beginFill(0x4A2F1B);
			g.drawEllipse(x - HOLE_W / 2, y - HOLE_H / 2, HOLE_W, HOLE_H);
			g.endFill();
			if (field != null && phase == PLAYING && (field.isUp(h, now) || field.isHit(h, now)))
				mole(g, x, y, field.isHit(h, now));
			// The front lip of the hole hides the mole's lower half.
			g.beginFill(0x6E4B2A);
			g.drawEllipse(x - HOLE_W / 2 - 6, y, HOLE_W + 12, HOLE_H / 2 + 6);
			g.endFill();
		}
		if (phase == START) {
			panel(g);
			PixelFont.drawCentred(g, "WHACK A MOLE", 320, 160, 7, 0x6E2C00);
			PixelFont.drawCentred(g, "CLICK THE MOLES - 30 SECONDS", 320, 240, 3, 0x1B2631);
			PixelFont.drawCentred(g, "CLICK TO START", 320, 290, 3, 0xA93226);
		} else if (phase == OVER) {
			panel(g);
			PixelFont.drawCentred(g, "TIME UP", 320, 150, 8, 0xA93226);
			PixelFont.drawCentred(g, "SCORE " + field.score, 320, 225, 5, 0x1B2631);
			PixelFont.drawCentred(g, "BEST " + best, 320, 270, 3, 0x1B2631);
			PixelFont.drawCentred(g, "CLICK TO PLAY AGAIN", 320, 305, 3, 0x1E8449);
		}
	}

	function mole(g:Graphics, x:Float, y:Float, stunned:Bool):Void {
		g.beginFill(stunned ? 0xA04000 : 0x784212);
		g.drawRoundRect(x - 32, y - 60, 64, 70, 50, 50);
		g.endFill();
		g.beginFill(0xF5CBA7);
		g.drawEllipse(x - 14, y - 30, 28, 20);
		g.endFill();
		g.beginFill(0x17202A);
		g.drawCircle(x, y - 28, 5);
		if (stunned) {
			g.drawRect(x - 18, y - 46, 10, 3);
			g.drawRect(x + 8, y - 46, 10, 3);
		} else {
			g.drawCircle(x - 12, y - 44, 4);
			g.drawCircle(x + 12, y - 44, 4);
		}
		g.endFill();
	}

	function panel(g:Graphics):Void {
		g.beginFill(0xFDFEFE, 0.94);
		g.drawRoundRect(50, 130, 540, 210, 24, 24);
		g.endFill();
	}
}
