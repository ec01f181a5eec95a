// Turns what a person does in the page into device calls: the pointer is a finger
// whose every step goes to the app as it happens (down, moves coalesced to at most one
// per animation frame, up), so lists follow it, fling and settle as on the phone; the
// wheel and the trackpad slide a finger over the list under the pointer, within its ends.
// Typing goes to
// the focused field through a hidden text area, so input methods and paste work too.

const TAP_SLOP = 8;          // points a finger may wander and still tap
const WHEEL_REST_MS = 120;   // a wheel that turned no further for this long has let go

// Calls go out one after another, so the app sees them in the order they were made
// (typing sends the whole text each time: a late shorter text must not win). A body may
// be a function, asked for the body when the call goes out, so a move waiting behind a
// slow call is sent where the pointer is by then (null: nothing to send any more).
let queue = Promise.resolve();
export function call(path, body) {
  const sent = queue.then(() => {
    const now = typeof body === 'function' ? body() : body;
    return now === null ? null : send(path, now);
  });
  queue = sent.catch(() => {});
  return sent;
}

async function send(path, body) {
  const response = await fetch('/api/' + path, {
    method: 'POST', headers: { 'Content-Type': 'application/json' }, body: JSON.stringify(body || {}),
  });
  const answer = await response.json().catch(() => ({}));
  const line = document.getElementById('last-call');
  if (line) line.textContent = `${path} ${JSON.stringify(body || {})} → ${response.status}${answer.error ? ' ' + answer.error : ''}`;
  return { status: response.status, answer };
}

// The app finds the view under a touch from the views' frames alone, without their
// rotation, so a point on a turned view is turned back about the view's centre and moved
// from where its box is drawn to where its frame is.
function unturned(phone, scale, element, at) {
  let turned = element;
  while (turned && turned !== phone && !turned._turn) turned = turned.parentElement;
  if (!turned || turned === phone) return at;
  const rect = phone.getBoundingClientRect();
  const box = turned.getBoundingClientRect();
  const cx = (box.left + box.width / 2 - rect.left) / scale;
  const cy = (box.top + box.height / 2 - rect.top) / scale;
  const { rotation, shift } = turned._turn;
  const dx = at[0] - cx;
  const dy = at[1] - cy;
  const cos = Math.cos(rotation);
  const sin = Math.sin(rotation);
  return [cx + dx * cos + dy * sin + shift[0], cy - dx * sin + dy * cos + shift[1]];
}

// One finger at a time, numbered afresh for each touch.
let fingers = 0;
const samePoint = (a, b) => a[0] === b[0] && a[1] === b[1];
// When a step happened, on the page's clock (milliseconds): the app measures the finger's
// speed on it, so the way the calls travel does not change how a list is flung.
const stamp = (time) => Math.round(time * 10) / 10;

// A finger's moves: the first of a frame goes at once, later ones of the same frame wait
// for the next frame, and a move still waiting when the next comes is replaced by it.
class Finger {
  constructor(at, time) {
    this.id = ++fingers;
    this.start = at;
    this.at = at;
    this.time = time;
    this.sentAt = at;
    this.moved = false;
    this.queued = false;
    this.frameUsed = false;
    this.frameAsked = false;
    this.done = false;
    call('touch', { phase: 'began', x: at[0], y: at[1], id: this.id, time: stamp(time) });
  }

  moveTo(at, time) {
    this.at = at;
    this.time = time;
    if (Math.hypot(at[0] - this.start[0], at[1] - this.start[1]) > TAP_SLOP) this.moved = true;
    if (this.queued) return; // the waiting move goes out with this point
    if (this.frameUsed) this.askFrame(); else this.sendMove();
  }

  // At the next frame a move that had to wait goes out.
  askFrame() {
    if (this.frameAsked) return;
    this.frameAsked = true;
    requestAnimationFrame(() => {
      this.frameAsked = false;
      this.frameUsed = false;
      if (!this.queued && !this.done) this.sendMove();
    });
  }

  sendMove() {
    if (samePoint(this.at, this.sentAt)) return;
    this.queued = true;
    this.frameUsed = true;
    this.askFrame();
    call('touch', () => {
      this.queued = false;
      if (samePoint(this.at, this.sentAt)) return null;
      this.sentAt = this.at;
      return { phase: 'moved', x: this.at[0], y: this.at[1], id: this.id, time: stamp(this.time) };
    });
  }

  // Up (or cancelled) where the finger is now; a move not sent yet goes first.
  lift(phase) {
    this.done = true;
    if (!this.queued) this.sendMove();
    return call('touch', { phase, x: this.at[0], y: this.at[1], id: this.id, time: stamp(this.time) });
  }
}

// The innermost scroll view drawn under a point that can scroll along the axis: where
// its content is and how far it may go (the same ranges the app keeps).
function scrollerUnder(tree, at, horizontal) {
  let found = null;
  const walk = (node, ox, oy) => {
    if (node.hidden || node.touches === false || (node.alpha !== undefined && node.alpha < 0.01)) return;
    const x = ox + node.frame[0];
    const y = oy + node.frame[1];
    if (at[0] < x || at[0] >= x + node.frame[2] || at[1] < y || at[1] >= y + node.frame[3]) return;
    if (node.contentOffset && node.scrollEnabled !== false) {
      const [top, left, bottom, right] = node.contentInset;
      const min = horizontal ? -left : -top;
      const length = horizontal ? node.contentSize[0] + right - node.frame[2] : node.contentSize[1] + bottom - node.frame[3];
      const max = Math.max(length, min);
      if (max > min) found = { offset: node.contentOffset[horizontal ? 0 : 1], min, max };
    }
    const offset = node.offset || [0, 0];
    (node.children || []).forEach((child) => walk(child, x - offset[0], y - offset[1]));
  };
  if (tree && tree.window) walk(tree.window, 0, 0);
  return found;
}

export function attachPointer(phone, scaleOf, onTap, treeOf) {
  let finger = null;
  let pointerElement = null;
  let wheel = null; // { finger, timer }
  const point = (event, element) => {
    const rect = phone.getBoundingClientRect();
    const scale = scaleOf();
    const at = unturned(phone, scale, element, [(event.clientX - rect.left) / scale, (event.clientY - rect.top) / scale]);
    return [Math.round(at[0] * 10) / 10, Math.round(at[1] * 10) / 10];
  };
  const endWheel = () => {
    if (!wheel) return;
    clearTimeout(wheel.timer);
    // The system takes the finger back: the list stays where the wheel left it, and
    // nothing under it is tapped.
    if (wheel.finger) wheel.finger.lift('cancelled');
    wheel = null;
  };
  phone.addEventListener('pointerdown', (event) => {
    if (event.button !== 0 || event.target.closest('#alert-layer') || event.target.closest('video')) return;
    endWheel();
    pointerElement = event.target;
    finger = new Finger(point(event, pointerElement), event.timeStamp);
    phone.setPointerCapture(event.pointerId);
    event.preventDefault();
  });
  phone.addEventListener('pointermove', (event) => {
    if (finger) finger.moveTo(point(event, pointerElement), event.timeStamp);
  });
  phone.addEventListener('pointerup', (event) => {
    if (!finger) return;
    finger.moveTo(point(event, pointerElement), event.timeStamp);
    const tapped = !finger.moved;
    finger.lift('ended');
    finger = null;
    if (tapped) onTap();
  });
  phone.addEventListener('pointercancel', () => {
    if (!finger) return;
    finger.lift('cancelled');
    finger = null;
  });
  // The wheel moves the content under the pointer the way a finger sliding on it would:
  // turning the wheel down brings later rows up. The finger goes only as far as the list
  // can scroll (read from the drawn tree), so the wheel never pulls a list past its ends
  // (which would start a refresh) and a wheel with nothing to scroll touches nothing.
  phone.addEventListener('wheel', (event) => {
    if (finger || event.target.closest('#alert-layer') || event.ctrlKey) return;
    event.preventDefault();
    const scale = scaleOf();
    const lines = event.deltaMode === 1 ? 40 : event.deltaMode === 2 ? 400 : 1;
    const dx = event.deltaX * lines / scale;
    const dy = event.deltaY * lines / scale;
    if (!wheel) {
      const at = point(event, event.target);
      const horizontal = Math.abs(dx) > Math.abs(dy);
      const scroller = scrollerUnder(treeOf(), at, horizontal);
      if (!scroller) return;
      wheel = { at, horizontal, scroller, travel: 0, finger: null, timer: 0 };
    }
    const { scroller } = wheel;
    const wanted = wheel.travel + (wheel.horizontal ? dx : dy);
    wheel.travel = Math.min(Math.max(wanted, scroller.min - scroller.offset), scroller.max - scroller.offset);
    if (wheel.travel !== 0 || wheel.finger) {
      const moved = wheel.horizontal ? [wheel.at[0] - wheel.travel, wheel.at[1]] : [wheel.at[0], wheel.at[1] - wheel.travel];
      if (!wheel.finger) wheel.finger = new Finger(wheel.at, event.timeStamp);
      wheel.finger.moveTo([Math.round(moved[0] * 10) / 10, Math.round(moved[1] * 10) / 10], event.timeStamp);
    }
    clearTimeout(wheel.timer);
    wheel.timer = setTimeout(endWheel, WHEEL_REST_MS);
  }, { passive: false });
}

export class Keyboard {
  constructor(area) {
    this.area = area;
    this.key = null;
    area.addEventListener('input', () => {
      if (this.key && !this.area.composing) call('type', { text: area.value });
    });
    area.addEventListener('compositionstart', () => { area.composing = true; });
    area.addEventListener('compositionend', () => { area.composing = false; call('type', { text: area.value }); });
    area.addEventListener('keydown', (event) => {
      if (event.key === 'Enter' && !event.isComposing && this.key && this.kind === 'TextField') {
        event.preventDefault();
        call('key', { key: 'return' });
      }
    });
  }

  // Follows the app's focus: a newly focused field takes the keyboard with its text.
  follow(field) {
    if (!field) {
      this.key = null;
      if (document.activeElement === this.area) this.area.blur();
      return;
    }
    if (field.key !== this.key) {
      this.key = field.key;
      this.kind = field.node.class;
      const text = field.node.text || '';
      // A secure field shows only bullets: editing it starts afresh, as on the phone.
      this.area.value = /^[\u2022\u25CF]+$/.test(text) ? '' : text;
    }
    this.refocus();
  }

  refocus() {
    if (this.key && document.activeElement !== this.area) this.area.focus({ preventScroll: true });
  }
}
