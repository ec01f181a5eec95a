// The browser display: draws each tree the app streams, scales the phone to the
// window, and wires the device menu, alerts, web links and input.
import { renderTree, focusedField } from './render.js';
import { attachPointer, call, Keyboard } from './input.js';

const frame = document.getElementById('phone-frame');
const phone = document.getElementById('phone');
const screen = document.getElementById('screen');
const statusBar = document.getElementById('status-bar');
const alertLayer = document.getElementById('alert-layer');
const connection = document.getElementById('connection');
const keyboard = new Keyboard(document.getElementById('keys'));
let scale = 1;
let shownAlert = '';

// Read by the browser tests; `onDraw`, when set, is called after each drawing.
window.qelvo = { revision: 0, tree: null, drawnAt: 0, onDraw: null };

function fit() {
  const menuWidth = 180;
  const framePadding = { w: 28, h: 120 };
  const w = (window.innerWidth - menuWidth - 24) / (320 + framePadding.w);
  const h = (window.innerHeight - 16) / (568 + framePadding.h);
  scale = Math.max(0.3, Math.min(w, h));
  frame.style.transform = `scale(${scale})`;
  frame.style.margin = `${(scale - 1) * (568 + framePadding.h) / 2}px ${(scale - 1) * (320 + framePadding.w) / 2}px`;
}

function drawAlert(alert) {
  const signature = alert ? JSON.stringify(alert) : '';
  if (signature === shownAlert) return;
  shownAlert = signature;
  alertLayer.hidden = !alert;
  alertLayer.innerHTML = '';
  if (!alert) return;
  const box = document.createElement('div');
  box.className = 'alert';
  box.setAttribute('role', 'alertdialog');
  const title = document.createElement('div');
  title.className = 'title';
  title.textContent = alert.title || '';
  const message = document.createElement('div');
  message.className = 'message';
  message.textContent = alert.message || '';
  const buttons = document.createElement('div');
  buttons.className = 'buttons' + (alert.buttons.length > 2 ? ' stacked' : '');
  alert.buttons.forEach((text, index) => {
    const button = document.createElement('button');
    button.textContent = text;
    button.addEventListener('click', () => call('alert', { button: index }));
    buttons.appendChild(button);
  });
  box.append(title, message, buttons);
  alertLayer.appendChild(box);
}

function draw(tree, revision) {
  renderTree(screen, tree);
  statusBar.classList.toggle('dark', !(tree.statusBar && tree.statusBar.style === 1));
  drawAlert(tree.alert);
  keyboard.follow(focusedField(tree));
  window.qelvo.tree = tree;
  window.qelvo.revision = revision;
  window.qelvo.drawnAt = performance.now();
  if (window.qelvo.onDraw) window.qelvo.onDraw(tree);
}

function listen() {
  const events = new EventSource('/display/events');
  events.addEventListener('tree', (event) => {
    connection.textContent = `已连接 · 第 ${event.lastEventId} 版`;
    draw(JSON.parse(event.data), Number(event.lastEventId));
  });
  events.onerror = () => { connection.textContent = '与应用的连接已断开，正在重连…'; };
}

document.querySelectorAll('[data-app]').forEach((button) =>
  button.addEventListener('click', () => call('app', { event: button.dataset.app })));
document.querySelectorAll('[data-network]').forEach((button) =>
  button.addEventListener('click', async () => {
    const { status } = await call('network', { status: button.dataset.network });
    if (status === 200) document.querySelectorAll('[data-network]').forEach((b) => b.classList.toggle('active', b === button));
  }));
document.querySelector('[data-quit]').addEventListener('click', () => call('quit'));

// Link taps inside a web view's page come back from its frame as {qelvoLink: address};
// the app decides what to do with them. The page is from the network: only a message
// from a web view's own frame, of exactly that shape, is taken, and nothing else.
const MAX_LINK_LENGTH = 8192;
function linkFromFrame(event) {
  const fromWebView = [...screen.querySelectorAll('iframe.web')].some((frame) => frame.contentWindow === event.source);
  const data = event.data;
  if (!fromWebView || !data || typeof data !== 'object' || Object.keys(data).join() !== 'qelvoLink') return null;
  const url = data.qelvoLink;
  return typeof url === 'string' && url.length > 0 && url.length <= MAX_LINK_LENGTH ? url : null;
}
window.addEventListener('message', (event) => {
  const url = linkFromFrame(event);
  if (url !== null) call('link', { url });
});

attachPointer(phone, () => scale, () => keyboard.refocus(), () => window.qelvo.tree);
window.addEventListener('resize', fit);
fit();
listen();
