package saol;

/** The rules of the minesweeper board, free of any display so they can be tested alone. */
class MineField {
	public static inline var READY = 0;
	public static inline var PLAYING = 1;
	public static inline var WON = 2;
	public static inline var LOST = 3;

	public var cols(default, null):Int;
	public var rows(default, null):Int;
	public var mineCount(default, null):Int;
	public var state(default, null):Int;
	public var revealedCount(default, null):Int;
	public var flagCount(default, null):Int;

	var mine:Array<Bool>;
	var open:Array<Bool>;
	var flag:Array<Bool>;
	var random:Int->Int;

	/** random(n) returns an integer from 0 to n - 1. */
	public function new(cols:Int, rows:Int, mines:Int, random:Int->Int) {
		this.cols = cols;
		this.rows = rows;
		// At least the first cell clicked must stay free.
		this.mineCount = mines < 0 ? 0 : (mines > cols * rows - 1 ? cols * rows - 1 : mines);
		this.random = random;
		var n = cols * rows;
		mine = [for (_ in 0...n) false];
		open = [for (_ in 0...n) false];
		flag = [for (_ in 0...n) false];
		state = READY;
		revealedCount = 0;
		flagCount = 0;
	}

	public inline function inside(x:Int, y:Int):Bool {
		return x >= 0 && y >= 0 && x < cols && y < rows;
	}

	public function isMine(x:Int, y:Int):Bool {
		return inside(x, y) && mine[y * cols + x];
	}

	public function isOpen(x:Int, y:Int):Bool {
		return inside(x, y) && open[y * cols + x];
	}

	public function isFlagged(x:Int, y:Int):Bool {
		return inside(x, y) && flag[y * cols + x];
	}

	/** Mines in the eight cells around (x, y). */
	public function neighbours(x:Int, y:Int):Int {
		var n = 0;
		for (dy in -1...2)
			for (dx in -1...2)
				if ((dx != 0 || dy != 0) && isMine(x + dx, y + dy))
					n++;
		return n;
	}

	public function toggleFlag(x:Int, y:Int):Void {
		if (state > PLAYING || !inside(x, y) || open[y * cols + x])
			return;
		var i = y * cols + x;
		flag[i] = !flag[i];
		flagCount += flag[i] ? 1 : -1;
	}

	/** Opens a cell; the first one opened, and its neighbours, never hold a mine. */
	public function reveal(x:Int, y:Int):Void {
		if (state > PLAYING || !inside(x, y) || flag[y * cols + x] || open[y * cols + x])
			return;
		if (state == READY) {
			layMines(x, y);
			state = PLAYING;
		}
		if (mine[y * cols + x]) {
			open[y * cols + x] = true;
			state = LOST;
			return;
		}
		// Flood outwards from empty cells with an explicit stack: no deep recursion.
		var stack = [[x, y]];
		while (stack.length > 0) {
			var c = stack.pop();
			var i = c[1] * cols + c[0];
			if (open[i] || flag[i])
				continue;
			open[i] = true;
			revealedCount++;
			if (neighbours(c[0], c[1]) == 0)
				for (dy in -1...2)
					for (dx in -1...2) {
						var nx = c[0] + dx, ny = c[1] + dy;
						if (inside(nx, ny) && !open[ny * cols + nx])
							stack.push([nx, ny]);
					}
		}
		if (revealedCount == cols * rows - mineCount)
			state = WON;
	}

	function layMines(safeX:Int, safeY:Int):Void {
		var candidates = [];
		var spare = [];
		for (y in 0...rows)
			for (x in 0...cols) {
				var near = Math.abs(x - safeX) <= 1 && Math.abs(y - safeY) <= 1;
				if (!near)
					candidates.push(y * cols + x);
				else if (x != safeX || y != safeY)
					spare.push(y * cols + x);
			}
		// On a crowded board the neighbours have to take mines too, never the cell itself.
		while (candidates.length < mineCount && spare.length > 0)
			candidates.push(spare.pop());
		for (_ in 0...mineCount) {
			var k = random(candidates.length);
			mine[candidates[k]] = true;
			candidates.splice(k, 1);
		}
	}
}
