package tancs;

/** The rules of the snake game, free of any display so they can be tested alone. */
class SnakeGame {
	public static inline var LEFT = 0;
	public static inline var UP = 1;
	public static inline var RIGHT = 2;
	public static inline var DOWN = 3;

	public var cols(default, null):Int;
	public var rows(default, null):Int;

	/** Body cells, head first, as [x, y]. */
	public var body(default, null):Array<Array<Int>>;

	public var food(default, null):Array<Int>;
	public var score(default, null):Int;
	public var alive(default, null):Bool;
	public var full(default, null):Bool;
	public var direction(default, null):Int;

	// The turns typed since the last step; two quick turns (a U-turn around a
	// corner) must both happen rather than the second one being lost.
	var queue:Array<Int>;
	var random:Int->Int;

	/** random(n) returns an integer from 0 to n - 1. */
	public function new(cols:Int, rows:Int, random:Int->Int) {
		this.cols = cols;
		this.rows = rows;
		this.random = random;
		var cx = Std.int(cols / 2);
		var cy = Std.int(rows / 2);
		body = [[cx, cy], [cx - 1, cy], [cx - 2, cy]];
		direction = RIGHT;
		queue = [];
		score = 0;
		alive = true;
		full = false;
		placeFood();
	}

	public function turn(dir:Int):Void {
		if (dir < LEFT || dir > DOWN || queue.length >= 3)
			return;
		var last = queue.length > 0 ? queue[queue.length - 1] : direction;
		// Reversing onto the own neck, or repeating the direction, is no turn.
		if (dir == last || (dir + 2) % 4 == last)
			return;
		queue.push(dir);
	}

	/** Moves the snake one cell. Returns false once the game is over. */
	public function step():Bool {
		if (!alive || full)
			return false;
		if (queue.length > 0)
			direction = queue.shift();
		var head = body[0];
		var nx = head[0] + (direction == RIGHT ? 1 : direction == LEFT ? -1 : 0);
		var ny = head[1] + (direction == DOWN ? 1 : direction == UP ? -1 : 0);
		if (nx < 0 || ny < 0 || nx >= cols || ny >= rows) {
			alive = false;
			return false;
		}
		var eats = food != null && nx == food[0] && ny == food[1];
		// The tail cell is left in this very step unless the snake grows.
		var last = eats ? body.length : body.length - 1;
		for (i in 0...last)
			if (body[i][0] == nx && body[i][1] == ny) {
				alive = false;
				return false;
			}
		body.unshift([nx, ny]);
		if (eats) {
			score++;
			placeFood();
		} else {
			body.pop();
		}
		return true;
	}

	public function occupies(x:Int, y:Int):Bool {
		for (c in body)
			if (c[0] == x && c[1] == y)
				return true;
		return false;
	}

	function placeFood():Void {
		var free = cols * rows - body.length;
		if (free <= 0) {
			food = null;
			full = true;
			return;
		}
		// Pick the n-th free cell, so a crowded board never loops.
		var n = random(free);
		for (y in 0...rows)
			for (x in 0...cols)
				if (!occupies(x, y)) {
					if (n == 0) {
						food = [x, y];
						return;
					}
					n--;
				}
	}
}
