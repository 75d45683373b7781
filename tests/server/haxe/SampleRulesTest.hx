import dals.MoleField;
import saol.MineField;
import shared.PixelFont;
import tancs.SnakeGame;

/** Rules of the sample games, run on Haxe's interpreter. Exits 1 on the first failed group. */
class SampleRulesTest {
	static var failures = 0;
	static var group = "";

	static function check(ok:Bool, what:String, ?pos:haxe.PosInfos):Void {
		if (!ok) {
			failures++;
			Sys.println('FAIL [$group] $what (line ${pos.lineNumber})');
		}
	}

	static function equal<T>(expected:T, actual:T, what:String, ?pos:haxe.PosInfos):Void {
		check(expected == actual, '$what: expected $expected, got $actual', pos);
	}

	/** A random source that hands out the given values in turn, then zeros. */
	static function scripted(values:Array<Int>):Int->Int {
		return function(n:Int) {
			var v = values.length > 0 ? values.shift() : 0;
			if (v >= n)
				throw 'scripted value $v out of range $n';
			return v;
		};
	}

	static function main() {
		snakeMovesAndTurns();
		snakeEatsUntilTheBoardIsFull();
		snakeMayFollowItsTailButNotBiteItself();
		snakeDiesAtTheWall();
		minesNeverUnderTheFirstClick();
		minesFloodAndWin();
		minesFlagsStopTheFlood();
		minesLoseAndFreeze();
		minesCrowdedBoard();
		molesPopScoreAndExpire();
		molesRoundEnds();
		molesSpeedUp();
		fontCoversAllTextTheGamesDraw();
		if (failures > 0) {
			Sys.println('$failures check(s) failed');
			Sys.exit(1);
		}
		Sys.println("all sample game rules hold");
	}

	static function snakeMovesAndTurns() {
		group = "snake moves";
		var s = new SnakeGame(10, 10, scripted([]));
		equal(3, s.body.length, "start length");
		check(!s.occupies(s.food[0], s.food[1]), "food not on the snake");
		check(s.step(), "first step");
		equal(6, s.body[0][0], "head x after a step right");
		equal(3, s.body.length, "length unchanged without food");
		s.turn(SnakeGame.LEFT); // straight back: ignored
		s.step();
		equal(7, s.body[0][0], "a reversal is ignored");
		// Two quick turns between steps both take effect, one per step.
		s.turn(SnakeGame.DOWN);
		s.turn(SnakeGame.LEFT);
		s.step();
		equal(6, s.body[0][1], "first queued turn (down)");
		equal(7, s.body[0][0], "still in the column");
		s.step();
		equal(6, s.body[0][0], "second queued turn (left)");
		equal(SnakeGame.LEFT, s.direction, "direction after the queue");
	}

	static function snakeEatsUntilTheBoardIsFull() {
		group = "snake fills the board";
		// A 5 x 1 board: body at x 2, 1, 0; the first free cell is x 3.
		var s = new SnakeGame(5, 1, scripted([0, 0]));
		equal(3, s.food[0], "food on the only free cells");
		check(s.step(), "eat once");
		equal(4, s.body.length, "grown");
		equal(1, s.score, "score");
		equal(4, s.food[0], "new food on the last free cell");
		check(s.step(), "eat twice");
		equal(5, s.body.length, "board full");
		check(s.full, "full flag");
		check(s.food == null, "no food left");
		check(!s.step(), "no step on a full board");
		equal(2, s.score, "score kept");
	}

	static function snakeMayFollowItsTailButNotBiteItself() {
		group = "snake tail";
		// 4 x 4, body (2,2) (1,2) (0,2); free cells before (3,2): 8.
		var s = new SnakeGame(4, 4, scripted([8, 0]));
		s.step(); // eats at (3,2): length 4
		s.turn(SnakeGame.UP);
		s.step();
		s.turn(SnakeGame.LEFT);
		s.step();
		s.turn(SnakeGame.DOWN);
		// The head enters the cell the tail leaves in the same step.
		check(s.step(), "following the tail is allowed");
		check(s.alive, "alive after following the tail");
		equal(2, s.body[0][0], "head x");
		equal(2, s.body[0][1], "head y");

		group = "snake bites";
		// 6 x 6, body (3,3) (2,3) (1,3): food at (4,3) then (5,3), length 5.
		var b = new SnakeGame(6, 6, scripted([19, 19, 0]));
		b.step();
		b.step();
		equal(5, b.body.length, "length five");
		b.turn(SnakeGame.UP);
		b.step();
		b.turn(SnakeGame.LEFT);
		b.step();
		b.turn(SnakeGame.DOWN);
		check(!b.step(), "biting the body ends the game");
		check(!b.alive, "dead");
		check(!b.step(), "no step after death");
	}

	static function snakeDiesAtTheWall() {
		group = "snake wall";
		var s = new SnakeGame(6, 3, scripted([0, 0, 0]));
		// Head starts at x 3 heading right: x 4, x 5, then the wall.
		check(s.step(), "x 4");
		check(s.step(), "x 5");
		check(!s.step(), "wall");
		check(!s.alive, "dead at the wall");
		var t = new SnakeGame(6, 3, scripted([]));
		t.turn(SnakeGame.UP);
		check(t.step(), "row 0");
		check(!t.step(), "top wall");
	}

	static function minesNeverUnderTheFirstClick() {
		group = "mines first click";
		for (corner in [[0, 0], [8, 8], [4, 4]]) {
			var f = new MineField(9, 9, 10, function(n) return Std.random(n));
			f.reveal(corner[0], corner[1]);
			check(f.state != MineField.LOST, "first click never loses");
			var mines = 0;
			for (y in 0...9)
				for (x in 0...9)
					if (f.isMine(x, y))
						mines++;
			equal(10, mines, "mines laid");
			equal(0, f.neighbours(corner[0], corner[1]), "first cell has no neighbouring mine");
			check(f.revealedCount > 1, "an empty first cell opens its neighbours");
		}
	}

	static function minesFloodAndWin() {
		group = "mines flood";
		// 5 x 5 with one mine; with random 0 it lands on (0,0), away from (4,4).
		var f = new MineField(5, 5, 1, scripted([]));
		f.reveal(4, 4);
		check(f.isMine(0, 0), "mine at the first candidate");
		equal(1, f.neighbours(1, 1), "diagonal neighbour count");
		equal(1, f.neighbours(1, 0), "side neighbour count");
		equal(0, f.neighbours(2, 2), "far cell count");
		equal(24, f.revealedCount, "everything but the mine opens");
		equal(MineField.WON, f.state, "won");
		check(!f.isOpen(0, 0), "the mine stays closed");
	}

	static function minesFlagsStopTheFlood() {
		group = "mines flags";
		var f = new MineField(5, 5, 1, scripted([]));
		f.toggleFlag(2, 2);
		equal(1, f.flagCount, "flag counted");
		f.reveal(2, 2);
		equal(MineField.READY, f.state, "a flagged cell does not open");
		f.reveal(4, 4);
		check(!f.isOpen(2, 2), "the flood skips the flag");
		equal(23, f.revealedCount, "all but mine and flag");
		equal(MineField.PLAYING, f.state, "not won while a free cell is flagged");
		f.toggleFlag(4, 4);
		equal(1, f.flagCount, "an open cell takes no flag");
		f.toggleFlag(2, 2);
		equal(0, f.flagCount, "flag removed");
		f.reveal(2, 2);
		equal(MineField.WON, f.state, "won after the last free cell");
	}

	static function minesLoseAndFreeze() {
		group = "mines lose";
		// Mines on (0,0) and (2,0) keep (1,0) closed after the flood from (4,4).
		var g = new MineField(5, 5, 2, scripted([0, 1]));
		g.reveal(4, 4);
		check(g.isMine(0, 0) && g.isMine(2, 0), "mines laid where scripted");
		check(!g.isOpen(1, 0), "the cell between two mines stays closed");
		equal(MineField.PLAYING, g.state, "still playing");
		g.reveal(0, 0);
		equal(MineField.LOST, g.state, "a mine loses");
		var before = g.revealedCount;
		g.reveal(0, 4);
		g.toggleFlag(0, 0);
		equal(before, g.revealedCount, "no reveal after the loss");
		equal(0, g.flagCount, "no flag after the loss");
	}

	static function minesCrowdedBoard() {
		group = "mines crowded";
		var f = new MineField(3, 3, 20, scripted([]));
		equal(8, f.mineCount, "mines clamped to leave one free cell");
		f.reveal(1, 1);
		check(!f.isMine(1, 1), "the clicked cell stays free");
		equal(8, f.neighbours(1, 1), "surrounded");
		equal(MineField.WON, f.state, "the only free cell wins");
		var e = new MineField(3, 3, 8, scripted([]));
		e.reveal(0, 0);
		check(!e.isMine(0, 0), "corner stays free on a crowded board");
		equal(MineField.WON, e.state, "corner wins");
	}

	static function upCount(m:MoleField, now:Float):Int {
		var n = 0;
		for (h in 0...MoleField.HOLES)
			if (m.isUp(h, now))
				n++;
		return n;
	}

	static function molesPopScoreAndExpire() {
		group = "moles";
		var m = new MoleField(1000, scripted([4]));
		m.update(1400);
		equal(0, upCount(m, 1400), "no mole in the first half second");
		m.update(1500);
		equal(1, upCount(m, 1500), "one mole");
		check(m.isUp(4, 1500), "in the chosen hole");
		check(!m.hit(3, 1600), "empty hole");
		equal(1, m.misses, "miss counted");
		check(m.hit(4, 1600), "hit");
		equal(1, m.score, "scored");
		check(!m.isUp(4, 1600), "hit mole goes down");
		check(m.isHit(4, 1700), "shown stunned");
		check(!m.hit(4, 1650), "no second score for one mole");
		equal(1, m.score, "score still one");

		var n = new MoleField(0, scripted([0]));
		n.update(500);
		check(n.isUp(0, 600), "up at first");
		check(!n.isUp(0, 500 + 1200), "down after its time");
		check(!n.hit(0, 500 + 1200), "too late");
	}

	static function molesRoundEnds() {
		group = "moles end";
		var m = new MoleField(0, function(n) return Std.random(n));
		var t = 0.0;
		while (t < MoleField.ROUND_MS - 16) {
			m.update(t);
			check(upCount(m, t) <= MoleField.HOLES, "at most one mole per hole");
			t += 16;
		}
		check(!m.finished, "still running just before the end");
		m.update(MoleField.ROUND_MS);
		check(m.finished, "finished at 30 s");
		equal(0.0, m.remainingMs(MoleField.ROUND_MS + 5), "no time left");
		equal(0, upCount(m, MoleField.ROUND_MS), "no mole after the end");
		check(!m.hit(0, MoleField.ROUND_MS + 10), "no hit after the end");
		equal(0, m.misses, "clicks after the end are not misses");
	}

	static function molesSpeedUp() {
		group = "moles pace";
		var early = 0, late = 0;
		var m = new MoleField(0, scripted([for (_ in 0...200) 0]));
		// Hit every mole at once so each spawn is seen exactly once.
		var t = 0.0;
		while (t < MoleField.ROUND_MS) {
			m.update(t);
			for (h in 0...MoleField.HOLES)
				if (m.isUp(h, t)) {
					m.hit(h, t);
					if (t < 10000)
						early++;
					else if (t >= 20000)
						late++;
				}
			t += 10;
		}
		check(late > early, 'more moles in the last third ($late) than the first ($early)');
		check(early >= 9, "about one mole a second at first");
	}

	static function fontCoversAllTextTheGamesDraw() {
		group = "font";
		var texts = [
			"SNAKE", "SCORE 0123456789", "ARROW KEYS TO STEER", "PRESS SPACE OR CLICK TO START", "GAME OVER", "YOU WIN",
			"PRESS SPACE TO PLAY AGAIN", "MINES", "LEFT", "FLAG ON", "FLAG OFF", "MINESWEEPER", "CLICK TO OPEN - SHIFT CLICK TO FLAG",
			"CLICK TO START", "ALL MINES FOUND", "CLICK TO PLAY AGAIN", "BOOM", "MOLES", "TIME", "WHACK A MOLE",
			"CLICK THE MOLES - 30 SECONDS", "TIME UP", "BEST"
		];
		for (t in texts)
			for (i in 0...t.length)
				check(PixelFont.has(t.charAt(i)), 'glyph "${t.charAt(i)}" in "$t"');
		// Every glyph except the space is lit somewhere; distinct digits look distinct.
		var seen = new Map<String, String>();
		for (c in "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ".split("")) {
			var cells = PixelFont.cells(c);
			check(cells.length > 0, 'glyph $c is not blank');
			for (p in cells)
				check(p[0] >= 0 && p[0] < PixelFont.GLYPH_W && p[1] >= 0 && p[1] < PixelFont.GLYPH_H, 'glyph $c inside its box');
			var key = cells.map(p -> p[0] + "," + p[1]).join(";");
			check(!seen.exists(key), 'glyph $c differs from ${seen.get(key)}');
			seen.set(key, c);
		}
		equal(0, PixelFont.cells(" ").length, "space is blank");
		equal(0.0, PixelFont.width("", 3), "empty text has no width");
		equal(29.0 * 2, PixelFont.width("ABCDE", 2), "five glyphs and four gaps");
	}
}
