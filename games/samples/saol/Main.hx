package saol;

import flash.Lib;
import flash.display.Graphics;
import flash.display.Sprite;
import flash.events.Event;
import flash.events.MouseEvent;
import shared.PixelFont;

/**
 * Minesweeper with the mouse: click a cell to open it; flag a mine with a
 * Shift- or Ctrl-click, or switch the FLAG button on and click.
 */
class Main extends Sprite {
	static inline var COLS = 9;
	static inline var ROWS = 9;
	static inline var MINES = 10;
	static inline var CELL = 40;
	static inline var LEFT_X = 140;
	static inline var TOP_Y = 80;

	static inline var BUTTON_X = 250;
	static inline var BUTTON_Y = 448;
	static inline var BUTTON_W = 140;
	static inline var BUTTON_H = 26;

	static var numberColours = [0, 0x2E86C1, 0x229954, 0xCB4335, 0x1F3A93, 0x922B21, 0x148F77, 0x000000, 0x7F8C8D];

	var field:MineField;
	var started = false;
	var flagMode = false;

	static function main() {
		Lib.current.addChild(new Main());
	}

	public function new() {
		super();
		addEventListener(Event.ADDED_TO_STAGE, onAdded);
	}

	function onAdded(_):Void {
		stage.addEventListener(MouseEvent.MOUSE_DOWN, onClick);
		newBoard();
	}

	function newBoard():Void {
		field = new MineField(COLS, ROWS, MINES, function(n) return Std.random(n));
		redraw();
	}

	function onClick(e:MouseEvent):Void {
		var mx = e.stageX, my = e.stageY;
		if (!started) {
			started = true;
			redraw();
			return;
		}
		if (field.state == MineField.WON || field.state == MineField.LOST) {
			newBoard();
			return;
		}
		if (mx >= BUTTON_X && mx < BUTTON_X + BUTTON_W && my >= BUTTON_Y && my < BUTTON_Y + BUTTON_H) {
			flagMode = !flagMode;
			redraw();
			return;
		}
		var cx = Math.floor((mx - LEFT_X) / CELL);
		var cy = Math.floor((my - TOP_Y) / CELL);
		if (!field.inside(cx, cy))
			return;
		if (flagMode || e.shiftKey || e.ctrlKey)
			field.toggleFlag(cx, cy);
		else
			field.reveal(cx, cy);
		redraw();
	}

	function redraw():Void {
		var g = graphics;
		g.clear();
		g.beginFill(0xD5DBDB);
		g.drawRect(0, 0, 640, 480);
		g.endFill();
		PixelFont.draw(g, "MINES", 20, 20, 4, 0x1B2631);
		var left = "LEFT " + (field.mineCount - field.flagCount);
		PixelFont.draw(g, left, 620 - PixelFont.width(left, 3), 24, 3, 0xA93226);

		var over = field.state == MineField.WON || field.state == MineField.LOST;
		for (y in 0...ROWS)
			for (x in 0...COLS)
				drawCell(g, x, y, over);

		g.beginFill(flagMode ? 0xA93226 : 0x85929E);
		g.drawRoundRect(BUTTON_X, BUTTON_Y, BUTTON_W, BUTTON_H, 8, 8);
		g.endFill();
		PixelFont.drawCentred(g, flagMode ? "FLAG ON" : "FLAG OFF", BUTTON_X + BUTTON_W / 2, BUTTON_Y + 6, 2, 0xFFFFFF);

		if (!started) {
			banner(g, "MINESWEEPER", 0x1B2631, "CLICK TO OPEN - SHIFT CLICK TO FLAG", "CLICK TO START");
		} else if (field.state == MineField.WON) {
			banner(g, "YOU WIN", 0x1E8449, "ALL MINES FOUND", "CLICK TO PLAY AGAIN");
		} else if (field.state == MineField.LOST) {
			banner(g, "BOOM", 0xA93226, "GAME OVER", "CLICK TO PLAY AGAIN");
		}
	}

	function drawCell(g:Graphics, x:Int, y:Int, over:Bool):Void {
		var px = LEFT_X + x * CELL, py = TOP_Y + y * CELL;
		if (field.isOpen(x, y)) {
			var boom = field.isMine(x, y);
			g.beginFill(boom ? 0xE74C3C : 0xF2F3F4);
			g.drawRect(px, py, CELL, CELL);
			g.endFill();
			if (boom) {
				mine(g, px, py);
			} else {
				var n = field.neighbours(x, y);
				if (n > 0)
					PixelFont.draw(g, Std.string(n), px + 13, py + 9, 3, numberColours[n]);
			}
		} else {
			g.beginFill(0x5D6D7E);
			g.drawRect(px, py, CELL, CELL);
			g.endFill();
			g.beginFill(0x85929E);
			g.drawRect(px + 2, py + 2, CELL - 4, CELL - 4);
			g.endFill();
			if (over && field.isMine(x, y) && !field.isFlagged(x, y))
				mine(g, px, py);
			if (field.isFlagged(x, y)) {
				g.beginFill(0x1B2631);
				g.drawRect(px + 18, py + 9, 3, 22);
				g.endFill();
				g.beginFill(over && !field.isMine(x, y) ? 0xF39C12 : 0xE74C3C);
				g.moveTo(px + 21, py + 9);
				g.lineTo(px + 32, py + 15);
				g.lineTo(px + 21, py + 21);
				g.endFill();
			}
		}
		g.lineStyle(1, 0x34495E);
		g.drawRect(px, py, CELL, CELL);
		g.lineStyle();
	}

	function mine(g:Graphics, px:Float, py:Float):Void {
		g.beginFill(0x17202A);
		g.drawCircle(px + CELL / 2, py + CELL / 2, 10);
		g.endFill();
		g.beginFill(0xFFFFFF);
		g.drawCircle(px + CELL / 2 - 3, py + CELL / 2 - 3, 3);
		g.endFill();
	}

	function banner(g:Graphics, title:String, colour:Int, line:String, prompt:String):Void {
		g.beginFill(0xFFFFFF, 0.92);
		g.drawRoundRect(60, 150, 520, 190, 20, 20);
		g.endFill();
		PixelFont.drawCentred(g, title, 320, 170, 8, colour);
		PixelFont.drawCentred(g, line, 320, 250, 2, 0x1B2631);
		PixelFont.drawCentred(g, prompt, 320, 290, 3, 0x1B2631);
	}
}
