// Plays the machine's samples: 16-bit mono at 31,250 a second, sent by the page in chunks.
// A chunk that comes too late leaves silence; more than half a second waiting is dropped
// (the page caught up after a stall), so the sound never lags far behind the picture.
// If the context does not run at 31,250 Hz the samples are stepped through at the ratio.
const machineRate = 31250;

class OllendorSound extends AudioWorkletProcessor {
    constructor() {
        super();
        this.chunks = [];    // Int16Array chunks, oldest first
        this.offset = 0;     // position in the first chunk (fractional when resampling)
        this.queued = 0;     // samples waiting
        this.step = machineRate / sampleRate;
        this.port.onmessage = (event) => {
            const chunk = event.data;
            this.chunks.push(chunk);
            this.queued += chunk.length;
            while (this.queued > machineRate / 2 && this.chunks.length > 1) {
                const old = this.chunks.shift();
                this.queued -= old.length - Math.floor(this.offset);
                this.offset = 0;
            }
        };
    }

    process(inputs, outputs) {
        const out = outputs[0][0];
        for (let i = 0; i < out.length; ++i) {
            const chunk = this.chunks[0];
            if (!chunk) {
                out[i] = 0;
                continue;
            }
            out[i] = chunk[Math.floor(this.offset)] / 32768;
            const before = Math.floor(this.offset);
            this.offset += this.step;
            this.queued -= Math.floor(this.offset) - before;
            if (this.offset >= chunk.length) {
                this.offset -= chunk.length;
                this.chunks.shift();
            }
        }
        return true;
    }
}

registerProcessor('ollendor-sound', OllendorSound);
