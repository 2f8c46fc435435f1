// Modal dialogs: messages, questions, long texts, the tip of the day, About, the "Filter properties" and "Filter Condition" dialogs of the saved
// report filters, and the cell menu. Each resolves a promise with what the user chose, or null.
import { el } from './dom.js';

export const TARGETS = ['Referrer', 'Ref. Domain', 'Search Engine', 'Search Word', 'Search Phrase',
  'Exact S. Phrase', 'Page', 'Download', 'Image', 'Country'];
export const OPERATIONS = ['Equals', 'Not equals', 'Includes', 'Not includes'];
const MATCH_MODES = ['All conditions are satisfied', 'At least one condition is satisfied'];

function options(select, texts, chosen) {
  texts.forEach((text, value) => select.append(el('option', { value, text, selected: value === chosen })));
  return select;
}

// A <dialog> with a caption, a body and buttons; resolves with the value of the button pressed
// (Escape gives null). `check` may refuse a value by returning false.
function modal(caption, body, buttons, check = () => true) {
  return new Promise((resolve) => {
    const dialog = el('dialog', { className: 'window' });
    const row = el('div', { className: 'buttons' });
    buttons.forEach(({ text, value, primary }, index) => {
      row.append(el('button', {
        type: 'button',
        className: primary ? 'primary' : '',
        text,
        onclick: () => {
          if (value !== null && !check(value)) return;
          dialog.close(String(index));
        },
      }));
    });
    dialog.append(el('div', { className: 'caption', text: caption }), el('div', { className: 'body' }, body), row);
    dialog.addEventListener('close', () => {
      const index = Number.parseInt(dialog.returnValue, 10);
      dialog.remove();
      resolve(Number.isNaN(index) ? null : buttons[index].value);
    });
    document.body.append(dialog);
    dialog.showModal();
  });
}

export function message(caption, text, icon = 'information') {
  const lines = String(text).split('\n').map((line) => el('div', { text: line }));
  return modal(caption, [el('div', { className: `message ${icon}` }, lines)], [
    { text: 'OK', value: true, primary: true },
  ]);
}

// Resolves true for Yes, false for No or Escape.
export async function question(caption, text, icon = 'question') {
  const lines = String(text).split('\n').map((line) => el('div', { text: line }));
  const answer = await modal(caption, [el('div', { className: `message ${icon}` }, lines)], [
    { text: 'Yes', value: true, primary: true },
    { text: 'No', value: false },
  ]);
  return answer === true;
}

// A long text, such as a log, shown as it is.
export function textDialog(caption, text) {
  return modal(caption, [el('pre', { id: 'text-dialog', className: 'log-text', text })], [
    { text: 'Close', value: true, primary: true },
  ]);
}

export const SORT_COLUMNS = ['Today', 'Yesterday', 'Last week', 'Last 4 weeks (28 days)', 'Custom Time Interval'];

// The combined-export dialog; resolves with {limit, sort} or null.
export async function combinedExport(limit, sort) {
  const count = el('input', { id: 'export-limit', type: 'number', min: 0, value: limit });
  const column = options(el('select', { id: 'export-sort' }), SORT_COLUMNS, sort);
  const ok = await modal('Save combined report as HTML file', [
    el('label', { className: 'field' }, ['Maximum number of entries in individual reports:', count]),
    el('label', { className: 'field' }, ['Sort all reports by:', column]),
  ], [
    { text: 'OK', value: true, primary: true },
    { text: 'Cancel', value: null },
  ], () => Number.isInteger(Number(count.value)) && Number(count.value) >= 0);
  return ok ? { limit: Number(count.value), sort: Number(column.value) } : null;
}

// A progress window with a status line and Cancel; `close` takes it away.
export function progressDialog(caption, cancel) {
  const status = el('div', { id: 'progress-status', className: 'progress-status' });
  const dialog = el('dialog', { className: 'window' }, [
    el('div', { className: 'caption', text: caption }),
    el('div', { className: 'body' }, [status]),
    el('div', { className: 'buttons' }, [el('button', { type: 'button', text: 'Cancel', onclick: cancel })]),
  ]);
  // Escape does not close it: the work goes on until it says it stopped.
  dialog.addEventListener('cancel', (event) => { event.preventDefault(); cancel(); });
  document.body.append(dialog);
  dialog.showModal();
  return {
    set: (text) => { status.textContent = text; },
    close: () => { dialog.close(); dialog.remove(); },
  };
}

// Says where an exported page is, with a link that opens it.
export function exportedPage(text, href) {
  return modal('Velmora', [
    el('div', { className: 'message information' }, [
      el('div', { text }),
      el('a', { id: 'exported-link', href, target: '_blank', rel: 'noopener', text: 'Open the exported page' }),
    ]),
  ], [{ text: 'OK', value: true, primary: true }]);
}

export async function editCondition(condition) {
  const target = options(el('select', { id: 'condition-target' }), TARGETS, condition.target);
  const operation = options(el('select', { id: 'condition-operation' }), OPERATIONS, condition.operation);
  const value = el('input', { id: 'condition-value', type: 'text', maxlength: 2048, value: condition.value });
  const body = [
    el('label', { className: 'field' }, ['Target:', target]),
    el('label', { className: 'field' }, ['Operation:', operation]),
    el('label', { className: 'field' }, ['Value:', value]),
  ];
  const ok = await modal('Filter Condition', body, [
    { text: 'OK', value: true, primary: true },
    { text: 'Cancel', value: null },
  ]);
  if (!ok) return null;
  return { target: Number(target.value), operation: Number(operation.value), value: value.value };
}

// `filter` is a saved report filter as the settings document has it ({name, match-mode,
// conditions}); `names` the names of the others, which the new name must not repeat.
export async function editFilter(filter, names) {
  const draft = structuredClone(filter);
  const name = el('input', { id: 'filter-name', type: 'text', maxlength: 255, value: draft.name });
  const modes = MATCH_MODES.map((text, value) =>
    el('label', { className: 'radio' }, [
      el('input', { type: 'radio', name: 'match-mode', value, checked: draft['match-mode'] === value }),
      text,
    ]));
  const list = el('tbody');
  let chosen = -1;
  const redraw = () => {
    list.replaceChildren();
    if (draft.conditions.length === 0) {
      list.append(el('tr', { className: 'empty' }, [el('td', { colspan: 3, text: "Click 'Add' to define a filter" })]));
    }
    draft.conditions.forEach((c, index) => {
      const tr = el('tr', { className: index === chosen ? 'chosen' : '' }, [
        el('td', { text: TARGETS[c.target] || '?' }),
        el('td', { text: OPERATIONS[c.operation] || '?' }),
        el('td', { text: c.value }),
      ]);
      tr.addEventListener('click', () => { chosen = index; redraw(); });
      tr.addEventListener('dblclick', () => { chosen = index; editChosen(); });
      list.append(tr);
    });
  };
  const editChosen = async () => {
    if (chosen < 0) return;
    const changed = await editCondition(draft.conditions[chosen]);
    if (changed) { draft.conditions[chosen] = changed; redraw(); }
  };
  redraw();
  const conditionButtons = el('div', { className: 'side-buttons' }, [
    el('button', {
      type: 'button', text: 'Add', onclick: async () => {
        const added = await editCondition({ target: 0, operation: 0, value: '' });
        if (added) { draft.conditions.push(added); chosen = draft.conditions.length - 1; redraw(); }
      },
    }),
    el('button', { type: 'button', text: 'Edit', onclick: editChosen }),
    el('button', {
      type: 'button', text: 'Del', onclick: () => {
        if (chosen < 0) return;
        draft.conditions.splice(chosen, 1);
        chosen = Math.min(chosen, draft.conditions.length - 1);
        redraw();
      },
    }),
  ]);
  const problem = el('div', { className: 'problem' });
  const body = [
    el('label', { className: 'field' }, ['Filter Name:', name]),
    el('fieldset', {}, [el('legend', { text: 'Filter matches if' }), ...modes]),
    el('div', { className: 'field-title', text: 'Conditions:' }),
    el('div', { className: 'conditions' }, [
      el('table', { className: 'list' }, [
        el('thead', {}, [el('tr', {}, ['Target', 'Operation', 'Value'].map((t) => el('th', { text: t })))]),
        list,
      ]),
      conditionButtons,
    ]),
    problem,
  ];
  const check = () => {
    const text = name.value.trim();
    problem.textContent = text === '' ? 'The filter needs a name.'
      : names.includes(text) ? `A filter named '${text}' exists already.` : '';
    return problem.textContent === '';
  };
  const ok = await modal('Filter properties', body, [
    { text: 'OK', value: true, primary: true },
    { text: 'Cancel', value: null },
  ], check);
  if (!ok) return null;
  draft.name = name.value.trim();
  draft['match-mode'] = modes[1].querySelector('input').checked ? 1 : 0;
  return draft;
}

export function about(version) {
  return modal('About Velmora', [
    el('div', { className: 'about' }, [
      el('div', { className: 'about-name', text: 'Velmora' }),
      el('div', { text: `Version ${version}` }),
      el('div', { text: 'Web server log analysis for one site per workspace.' }),
      el('div', { className: 'about-licence', text: 'The country of an IP address comes from the IPv4 and IPv6 ' +
        'tables of IPtoASN (iptoasn.com), by way of the ip-location-db project, carried in the program. ' +
        'The data is published under the Open Data Commons Public Domain Dedication and License v1.0 ' +
        '(PDDL-1.0): it is dedicated to the public domain and may be copied, changed, distributed and used ' +
        'for any purpose, also commercially, without asking permission and without attribution. We credit ' +
        'the source here all the same.' }),
    ]),
  ], [{ text: 'OK', value: true, primary: true }]);
}

// The tip-of-the-day dialog. `next` resolves with the next tip's text, `setShow` stores the
// check box at once; `show` is its state on opening.
export async function tipOfTheDay(next, show, setShow) {
  const text = el('div', { id: 'tip-text', className: 'tip-text' });
  const showTip = async () => { text.textContent = await next(); };
  await showTip();
  const box = el('input', { id: 'tip-at-startup', type: 'checkbox', checked: show });
  box.addEventListener('change', () => setShow(box.checked));
  const nextButton = el('button', { id: 'tip-next', type: 'button', text: 'Next tip', onclick: showTip });
  return modal('Tip of the Day', [
    el('div', { className: 'tip' }, [el('div', { className: 'tip-title', text: 'Did you know...' }), text]),
    el('div', { className: 'tip-row' }, [el('label', { className: 'check' }, [box, 'Show tips at startup']), nextButton]),
  ], [{ text: 'Close', value: true, primary: true }]);
}

// The menu of one cell at the pointer; resolves with the action chosen or null.
export function cellMenu(event, items) {
  return new Promise((resolve) => {
    document.querySelectorAll('.cell-menu').forEach((menu) => menu.remove());
    const menu = el('div', { className: 'menu-panel cell-menu', role: 'menu' });
    const done = (value) => {
      menu.remove();
      document.removeEventListener('mousedown', outside, true);
      resolve(value);
    };
    const outside = (e) => { if (!menu.contains(e.target)) done(null); };
    for (const item of items) {
      menu.append(el('div', {
        className: 'menu-item', role: 'menuitem', dataset: { action: item.action },
        onclick: () => done(item.action),
      }, [el('span', { className: 'label', text: item.caption })]));
    }
    menu.style.left = `${Math.min(event.clientX, window.innerWidth - 260)}px`;
    menu.style.top = `${Math.min(event.clientY, window.innerHeight - 30 * items.length)}px`;
    document.body.append(menu);
    setTimeout(() => document.addEventListener('mousedown', outside, true));
  });
}
