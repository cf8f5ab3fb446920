// Lighting frames at a rate the device takes: one "WriteRGBDevice" at a
// time, at most one every minInterval ms, and only the newest frame waits
// (a frame that was overtaken is never sent). Painting and music lighting
// both go through it.

export class FrameSender {
    // send(data) -> Promise of the command's outcome.
    constructor({ send, minInterval = 50, now = () => Date.now(), setTimer = (fn, ms) => setTimeout(fn, ms), clearTimer = (id) => clearTimeout(id) }) {
        this.sendFrame = send;
        this.minInterval = minInterval;
        this.now = now;
        this.setTimer = setTimer;
        this.clearTimer = clearTimer;
        this.pending = null;
        this.inFlight = false;
        this.timer = null;
        this.lastStart = -Infinity;
        this.sent = 0;
        this.dropped = 0;
        this.stopped = false;
        this.idleWaiters = [];
    }

    // Queues data; resolves when it was sent (with the outcome) or
    // overtaken by a newer frame ({ ok: false, overtaken: true }).
    push(data) {
        if (this.stopped)
            return Promise.resolve({ ok: false, stopped: true, text: '' });
        if (this.pending) {
            this.pending.resolve({ ok: false, overtaken: true, text: '' });
            this.dropped += 1;
        }
        return new Promise((resolve) => {
            this.pending = { data, resolve };
            this.pump();
        });
    }

    pump() {
        if (this.inFlight || !this.pending || this.timer !== null || this.stopped)
            return;
        const wait = this.lastStart + this.minInterval - this.now();
        if (wait > 0) {
            this.timer = this.setTimer(() => {
                this.timer = null;
                this.pump();
            }, wait);
            return;
        }
        const { data, resolve } = this.pending;
        this.pending = null;
        this.inFlight = true;
        this.lastStart = this.now();
        let sending;
        try {
            sending = Promise.resolve(this.sendFrame(data));
        } catch (e) {
            sending = Promise.reject(e);
        }
        sending.then((result) => result, (e) => ({ ok: false, code: -1, text: String(e) }))
            .then((result) => {
                this.inFlight = false;
                this.sent += 1;
                resolve(result);
                this.pump();
                this.notifyIdle();
            });
    }

    notifyIdle() {
        if (this.inFlight || this.pending)
            return;
        const waiters = this.idleWaiters;
        this.idleWaiters = [];
        waiters.forEach((fn) => fn());
    }

    // Resolves once nothing is waiting or being sent.
    idle() {
        if (!this.inFlight && !this.pending)
            return Promise.resolve();
        return new Promise((resolve) => this.idleWaiters.push(resolve));
    }

    // Drops what waits; a frame being sent finishes.
    stop() {
        this.stopped = true;
        if (this.timer !== null) {
            this.clearTimer(this.timer);
            this.timer = null;
        }
        if (this.pending) {
            this.pending.resolve({ ok: false, stopped: true, text: '' });
            this.pending = null;
        }
        this.notifyIdle();
    }
}
