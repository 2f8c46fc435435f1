// The retrieval's file chooser and the questions a running job asks: dialogs shown over the
// progress window while the job's worker waits for the answer. Each calls `answer` once with what
// the user chose and closes; `close` takes it away unanswered (another tab answered it).
import { el } from './dom.js';
import { browseFor } from './folder_browser.js';

const BUTTONS = {
  ok: [['OK', 'ok']],
  retry_cancel: [['Retry', 'retry'], ['Cancel', 'cancel']],
  yes_no: [['Yes', 'yes'], ['No', 'no']],
  yes_all_no_all_no: [['Yes', 'yes'], ['Yes to All', 'yes_to_all'], ['No to All', 'no_to_all'], ['No', 'no']],
};

function openWindow(id, caption, body, buttons) {
  const dialog = el('dialog', { className: 'window', id }, [
    el('div', { className: 'caption', text: caption }),
    el('div', { className: 'body' }, body),
    el('div', { className: 'buttons' }, buttons),
  ]);
  document.body.append(dialog);
  dialog.showModal();
  return dialog;
}

function closer(dialog) {
  return () => { if (dialog.isConnected) { dialog.close(); dialog.remove(); } };
}

// A message box of the engine: its caption, text, icon and exactly its buttons.
export function promptDialog(question, answer) {
  const buttons = BUTTONS[question.buttons] || BUTTONS.ok;
  let dialog = null;
  const choose = (value) => { close(); answer(value); };
  const row = buttons.map(([text, value], index) =>
    el('button', { type: 'button', className: index === 0 ? 'primary' : '', dataset: { answer: value }, text, onclick: () => choose(value) }));
  const lines = String(question.text).split('\n').map((line) => el('div', { text: line }));
  dialog = openWindow('job-question', question.caption, [el('div', { className: `message ${question.icon}` }, lines)], row);
  const close = closer(dialog);
  // Escape answers only a plain message; a question wants one of its buttons.
  dialog.addEventListener('cancel', (event) => {
    event.preventDefault();
    if (question.buttons === 'ok') choose('ok');
  });
  return { close };
}

// The file chooser: the folder (for a local import) with Browse, the list with its check boxes,
// Select All, Select None, Invert, the option check boxes, and OK ("Import" or "Download") or
// Cancel. Answers {files, boxes}, {folder} to have the list made for another folder, or {cancel}.
export function chooserDialog(question, answer) {
  const ticks = question.files.map((file) =>
    el('input', { type: 'checkbox', checked: file.new, dataset: { name: file.name } }));
  const rows = question.files.map((file, index) =>
    el('tr', {}, [el('td', {}, [el('label', { className: 'check' }, [ticks[index], file.name])])]));
  if (rows.length === 0) {
    rows.push(el('tr', { className: 'empty' }, [el('td', { text: 'No new log files in this folder' })]));
  }
  const boxes = question.boxes.map((box) =>
    el('input', { type: 'checkbox', id: `chooser-box-${box.key}`, checked: box.checked, dataset: { key: box.key } }));
  const setAll = (value) => () => ticks.forEach((t) => { t.checked = value(t); });
  let dialog = null;
  const send = (value) => { close(); answer(value); };
  const body = [];
  if (question.local) {
    const folder = el('input', { id: 'chooser-folder', type: 'text', value: question.folder });
    folder.addEventListener('change', () => send({ folder: folder.value }));
    const browse = el('button', {
      type: 'button', id: 'chooser-browse', text: 'Browse...', onclick: async () => {
        const picked = await browseFor({ show: 'folders', start: folder.value, caption: 'Select directory with log files to be analyzed' });
        if (picked) send({ folder: picked });
      },
    });
    body.push(el('div', { className: 'chooser-folder' }, [el('label', { for: 'chooser-folder', text: 'Folder:' }), folder, browse]));
  }
  body.push(el('div', { className: 'conditions' }, [
    el('div', { className: 'chooser-list' }, [
      el('table', { className: 'list', id: 'chooser-list' }, [
        el('thead', {}, [el('tr', {}, [el('th', { text: 'File name' })])]),
        el('tbody', {}, rows),
      ]),
    ]),
    el('div', { className: 'side-buttons' }, [
      el('button', { type: 'button', id: 'chooser-all', text: 'Select All', onclick: setAll(() => true), disabled: ticks.length === 0 }),
      el('button', { type: 'button', id: 'chooser-none', text: 'Select None', onclick: setAll(() => false), disabled: ticks.length === 0 }),
      el('button', { type: 'button', id: 'chooser-invert', text: 'Invert', onclick: setAll((t) => !t.checked), disabled: ticks.length === 0 }),
    ]),
  ]));
  body.push(el('div', { className: 'chooser-boxes' }, question.boxes.map((box, index) =>
    el('label', { className: 'check' }, [boxes[index], box.text]))));
  const ok = el('button', {
    type: 'button', id: 'chooser-ok', className: 'primary', text: question.ok, disabled: ticks.length === 0,
    onclick: () => send({
      files: ticks.filter((t) => t.checked).map((t) => t.dataset.name),
      boxes: Object.fromEntries(boxes.map((b) => [b.dataset.key, b.checked])),
    }),
  });
  const cancel = el('button', { type: 'button', id: 'chooser-cancel', text: 'Cancel', onclick: () => send({ cancel: true }) });
  dialog = openWindow('job-chooser', question.title, body, [ok, cancel]);
  dialog.classList.add('chooser');
  const close = closer(dialog);
  dialog.addEventListener('cancel', (event) => { event.preventDefault(); send({ cancel: true }); });
  return { close };
}
