package dals;

/** The rules of whack-a-mole, driven by a clock in milliseconds and free of any display. */
class MoleField {
	public static inline var HOLES = 9;
	public static inline var ROUND_MS = 30000;

	public var score(default, null):Int;
	public var misses(default, null):Int;
	public var finished(default, null):Bool;

	var startedAt:Float;
	var upUntil:Array<Float>;
	var hitUntil:Array<Float>;
	var nextSpawn:Float;
	var random:Int->Int;

	/** random(n) returns an integer from 0 to n - 1. */
	public function new(now:Float, random:Int->Int) {
		this.random = random;
		startedAt = now;
		upUntil = [for (_ in 0...HOLES) -1.0];
		hitUntil = [for (_ in 0...HOLES) -1.0];
		nextSpawn = now + 500;
		score = 0;
		misses = 0;
		finished = false;
	}

	public function remainingMs(now:Float):Float {
		var left = startedAt + ROUND_MS - now;
		return left < 0 ? 0 : left;
	}

	public function isUp(hole:Int, now:Float):Bool {
		return !finished && hole >= 0 && hole < HOLES && upUntil[hole] > now;
	}

	/** A mole just hit shows stunned for a moment. */
	public function isHit(hole:Int, now:Float):Bool {
		return hole >= 0 && hole < HOLES && hitUntil[hole] > now;
	}

	/** Advances the clock: ends the round and pops up new moles, faster as time runs out. */
	public function update(now:Float):Void {
		if (finished)
			return;
		if (now >= startedAt + ROUND_MS) {
			finished = true;
			return;
		}
		var progress = (now - startedAt) / ROUND_MS;
		while (nextSpawn <= now) {
			var free = [for (h in 0...HOLES) if (upUntil[h] <= nextSpawn && hitUntil[h] <= nextSpawn) h];
			if (free.length > 0) {
				var h = free[random(free.length)];
				upUntil[h] = nextSpawn + 1200 - 500 * progress;
			}
			nextSpawn += 900 - 450 * progress;
		}
	}

	/** A click on a hole: a mole that is up scores and goes down, anything else is a miss. */
	public function hit(hole:Int, now:Float):Bool {
		if (finished)
			return false;
		if (isUp(hole, now)) {
			upUntil[hole] = -1;
			hitUntil[hole] = now + 300;
			score++;
			return true;
		}
		misses++;
		return false;
	}
}
