// Turns what a person does in the page into device calls: a click is a tap, a slow
// move a drag (sent with its release), a quick one a swipe; typing goes to the
// focused field through a hidden text area, so input methods and paste work too.

const TAP_SLOP = 8;         // points a finger may wander and still tap
const FLICK_SECONDS = 0.3;  // quicker strokes are swipes
const FLICK_POINTS = 50;

// Calls go out one after another, so the app sees them in the order they were made
// (typing sends the whole text each time: a late shorter text must not win).
let queue = Promise.resolve();
export function call(path, body) {
  const sent = queue.then(() => send(path, body));
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

export function attachPointer(phone, scaleOf, onTap) {
  let start = null;
  const point = (event, element) => {
    const rect = phone.getBoundingClientRect();
    const scale = scaleOf();
    const at = unturned(phone, scale, element, [(event.clientX - rect.left) / scale, (event.clientY - rect.top) / scale]);
    return [Math.round(at[0] * 10) / 10, Math.round(at[1] * 10) / 10];
  };
  phone.addEventListener('pointerdown', (event) => {
    if (event.button !== 0 || event.target.closest('#alert-layer') || event.target.closest('video')) return;
    start = { at: point(event, event.target), time: performance.now(), element: event.target };
    phone.setPointerCapture(event.pointerId);
    event.preventDefault();
  });
  phone.addEventListener('pointerup', (event) => {
    if (!start) return;
    const from = start.at;
    const to = point(event, start.element);
    const seconds = (performance.now() - start.time) / 1000;
    start = null;
    const dx = to[0] - from[0];
    const dy = to[1] - from[1];
    const distance = Math.hypot(dx, dy);
    if (distance <= TAP_SLOP) {
      onTap();
      call('tap', { x: from[0], y: from[1] });
    } else if (seconds < FLICK_SECONDS && distance >= FLICK_POINTS) {
      call('swipe', { from, to });
    } else {
      call('drag', { from, to, seconds: Math.max(seconds, 0.05) });
    }
  });
  phone.addEventListener('pointercancel', () => { start = null; });
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
