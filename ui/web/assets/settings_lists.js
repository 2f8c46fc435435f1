// The two list pages of "Workspace settings": "File Types" (the resource rules, edited in "File
// Group Properties") and "Filters" (the log filters, edited in "Filter Properties"). Each page
// edits a copy of its list and gives it back, as the settings document holds it, on OK. Masks and
// filter texts come from the settings file and reach the page as text nodes only.
import { el, mnemonicLabel } from './dom.js';
import { modal } from './dialogs.js';

export const RESOURCE_TYPES = ['Undefined', 'Page', 'Download', 'Image'];
export const LOGGING = ['Do not log', 'Log as Visit', 'Log as non-Visit'];
const LOGGING_BITS = [0, 0x100, 0x200];
const ANY_EQUALS = ['Any', 'Equals', 'Not Equals'];
const ADDRESS_OPERATIONS = [...ANY_EQUALS, 'Belongs to Subnet', 'Not Belongs to Subnet'];
const TEXT_OPERATIONS = [...ANY_EQUALS, 'Includes', 'Not Includes'];

// The conditions of a log filter: its label, its field names and what its operation offers.
const CONDITIONS = [
  { label: 'IP Address:', op: 'address-operation', value: 'address-text', ops: ADDRESS_OPERATIONS },
  { label: 'User Agent:', op: 'user-agent-operation', value: 'user-agent-text', ops: TEXT_OPERATIONS },
  { label: 'Referrer:', op: 'referrer-operation', value: 'referrer-text', ops: TEXT_OPERATIONS },
  { label: 'Method:', op: 'method-operation', value: 'method-text', ops: ANY_EQUALS },
  { label: 'Status:', op: 'status-operation', value: 'status', ops: ANY_EQUALS, number: true },
  { label: 'Resource:', op: 'resource-operation', value: 'resource-text', ops: TEXT_OPERATIONS },
  { label: 'Query String:', op: 'query-operation', value: 'query-text', ops: TEXT_OPERATIONS },
];
const REPLACEMENTS = [
  { label: 'Set User Agent to', flag: 'set-user-agent', value: 'new-user-agent' },
  { label: 'Set Referrer to', flag: 'set-referrer', value: 'new-referrer' },
  { label: 'Set Resource to', flag: 'set-resource', value: 'new-resource' },
  { label: 'Set Query String to', flag: 'set-query', value: 'new-query' },
];

// A new filter drops the requests of the local machine.
const NEW_FILTER = {
  name: 'New Filter', 'address-operation': 1, 'address-text': '127.0.0.1',
  'user-agent-operation': 0, 'user-agent-text': '', 'referrer-operation': 0, 'referrer-text': '',
  'method-operation': 0, 'method-text': '', 'status-operation': 0, status: 0,
  'resource-operation': 0, 'resource-text': '', 'query-operation': 0, 'query-text': '',
  'set-user-agent': 0, 'new-user-agent': '', 'set-referrer': 0, 'new-referrer': '',
  'set-resource': 0, 'new-resource': '', 'set-query': 0, 'new-query': '',
  continue: 0, 'type-action': 0, 'logging-action': 0,
};

function select(id, texts, chosen) {
  const node = el('select', { id });
  texts.forEach((text, value) => node.append(el('option', { value, text, selected: value === chosen })));
  return node;
}

const BUTTON_IDS = ['add', 'edit', 'remove', 'up', 'down'];

function button(text, onclick, id) {
  const { node } = mnemonicLabel(text);
  return el('button', { type: 'button', id, onclick }, [node]);
}

// A list with a chosen row, double-click to edit, and the buttons beside it. `columns(item)`
// gives the texts of a row.
class EditableList {
  constructor(id, headings, items, columns, edit, fresh, labels, empty) {
    this.items = items;
    this.empty = empty;
    this.width = headings.length;
    this.columns = columns;
    this.edit = edit;
    this.chosen = items.length ? 0 : -1;
    this.body = el('tbody');
    const [add, change, remove, up, down] = labels;
    this.node = el('div', { className: 'conditions' }, [
      el('div', { className: 'list-frame' }, [
        el('table', { className: 'list', id }, [
          el('thead', {}, [el('tr', {}, headings.map((text) => el('th', { text })))]),
          this.body,
        ]),
      ]),
      el('div', { className: 'side-buttons' }, [
        button(add, async () => {
          const item = await edit(fresh());
          if (!item) return;
          const at = this.insertAt ? this.insertAt(this.items) : this.items.length;
          this.items.splice(at, 0, item);
          this.chosen = at;
          this.redraw();
        }),
        button(change, () => this.editChosen()),
        button(remove, () => {
          if (this.chosen < 0) return;
          this.items.splice(this.chosen, 1);
          this.chosen = Math.min(this.chosen, this.items.length - 1);
          this.redraw();
        }),
        button(up, () => this.move(-1)),
        button(down, () => this.move(1)),
      ]),
    ]);
    this.node.querySelectorAll('.side-buttons button').forEach((b, i) => { b.id = `${id}-${BUTTON_IDS[i]}`; });
    this.redraw();
  }

  async editChosen() {
    if (this.chosen < 0) return;
    const item = await this.edit(structuredClone(this.items[this.chosen]));
    if (item) { this.items[this.chosen] = item; this.redraw(); }
  }

  move(step) {
    const to = this.chosen + step;
    if (this.chosen < 0 || to < 0 || to >= this.items.length) return;
    [this.items[this.chosen], this.items[to]] = [this.items[to], this.items[this.chosen]];
    this.chosen = to;
    this.redraw();
  }

  redraw() {
    this.body.replaceChildren(...this.items.map((item, index) => {
      const tr = el('tr', { className: index === this.chosen ? 'chosen' : '' },
        this.columns(item).map((text) => el('td', { text })));
      tr.addEventListener('click', () => { this.chosen = index; this.redraw(); });
      tr.addEventListener('dblclick', () => { this.chosen = index; this.editChosen(); });
      return tr;
    }));
    if (this.items.length === 0) {
      this.body.append(el('tr', { className: 'empty' }, [el('td', { colspan: this.width, text: this.empty })]));
    }
  }
}

// The rules of the settings' flat mask list: consecutive masks of one group make one rule.
function rulesOfMasks(masks) {
  const rules = [];
  let group = null;
  for (const m of masks) {
    const cls = m['request-class'];
    if (rules.length === 0 || m.group !== group) {
      rules.push({ masks: [], type: cls & 0xff, logging: cls & 0x100 ? 1 : cls & 0x200 ? 2 : 0 });
      group = m.group;
    }
    rules[rules.length - 1].masks.push(m.mask);
  }
  return rules.map((r) => ({ ...r, masks: r.masks.join(', ') }));
}

function splitMasks(text) {
  return text.split(/[,;]/).map((m) => m.replace(/^[ \t\r\n]+|[ \t\r\n]+$/g, '')).filter((m) => m !== '');
}

function masksOfRules(rules) {
  return rules.flatMap((rule, group) => splitMasks(rule.masks).map((mask) =>
    ({ mask, 'request-class': rule.type | LOGGING_BITS[rule.logging], group })));
}

async function editRule(rule) {
  const masks = el('input', { id: 'rule-masks', type: 'text', value: rule.masks, title: 'A file mask or several file masks delimited with commas' });
  const type = select('rule-type', RESOURCE_TYPES, rule.type);
  const logging = select('rule-logging', LOGGING, rule.logging);
  const problem = el('div', { className: 'problem' });
  const ok = await modal('File Group Properties', [
    el('label', { className: 'field' }, ['File Mask(s):', masks]),
    el('label', { className: 'field' }, ['Resource Type:', type]),
    el('label', { className: 'field' }, ['Logging strategy:', logging]),
    problem,
  ], [{ text: 'OK', value: true, primary: true }, { text: 'Cancel', value: null }], () => {
    problem.textContent = splitMasks(masks.value).length ? '' : 'Enter a file mask, such as *.html.';
    return problem.textContent === '';
  });
  return ok ? { masks: masks.value, type: Number(type.value), logging: Number(logging.value) } : null;
}

// The "File Types" page; `value()` gives the resource masks back.
export function fileTypesPage(settings) {
  const list = new EditableList('rules-list', ['File Mask', 'Type', 'Logging'], rulesOfMasks(settings['resource-masks']),
    (r) => [r.masks, RESOURCE_TYPES[r.type] || '?', LOGGING[r.logging] || '?'], editRule,
    () => ({ masks: '', type: 1, logging: 1 }), ['Add', 'Edit', 'Remove', 'Move Up', 'Move Down'],
    'No rules: every request counts as Undefined, logged as non-Visit.');
  // A rule behind the catch-all "*" would never be reached: new ones go in ahead of it.
  list.insertAt = (items) => {
    const last = items.length - 1;
    return last >= 0 && splitMasks(items[last].masks).includes('*') ? last : items.length;
  };
  return {
    node: el('div', { className: 'page-body' }, [
      el('div', { className: 'hint', text: 'If the resource matches more than one rule then analyzer will use only that one which appear upper in the list' }),
      list.node,
    ]),
    fields: { 'resource-masks': list.node },
    value: () => ({ 'resource-masks': masksOfRules(list.items) }),
  };
}

async function editLogFilter(filter) {
  const draft = { ...NEW_FILTER, ...filter };
  const name = el('input', { id: 'log-filter-name', type: 'text', maxlength: 259, value: draft.name });
  const conditions = CONDITIONS.map((c) => ({
    c,
    op: select(`log-filter-${c.op}`, c.ops, draft[c.op]),
    value: el('input', { id: `log-filter-${c.value}`, type: 'text', maxlength: 2047, value: String(draft[c.value]) }),
  }));
  const replacements = REPLACEMENTS.map((r) => ({
    r,
    flag: el('input', { type: 'checkbox', id: `log-filter-${r.flag}`, checked: draft[r.flag] === 1 }),
    value: el('input', { type: 'text', maxlength: 2047, value: draft[r.value] }),
  }));
  const type = select('log-filter-type', [...RESOURCE_TYPES, 'Unchanged'], draft['type-action']);
  const logging = select('log-filter-logging', [...LOGGING, 'Unchanged'], draft['logging-action']);
  const next = el('input', { type: 'checkbox', id: 'log-filter-continue', checked: draft.continue === 1 });
  const problem = el('div', { className: 'problem' });
  const body = [
    el('label', { className: 'field' }, ['Filter Name:', name]),
    el('fieldset', { className: 'filter-grid' }, [el('legend', { text: 'Conditions' }),
      ...conditions.flatMap(({ c, op, value }) => [el('span', { text: c.label }), op, value])]),
    el('fieldset', { className: 'filter-grid replace' }, [el('legend', { text: 'Actions' }),
      ...replacements.flatMap(({ r, flag, value }) => [el('label', { className: 'check' }, [flag, r.label]), value])]),
    el('label', { className: 'field' }, ['Overwrite resource type:', type]),
    el('label', { className: 'field' }, ['Logging strategy:', logging]),
    el('label', { className: 'check' }, [next, 'Continue with other filters']),
    problem,
  ];
  const check = () => {
    const status = conditions.find((x) => x.c.number).value.value.trim();
    problem.textContent = name.value.trim() === '' ? 'The filter needs a name.'
      : /^-?\d{1,9}$/.test(status) ? '' : 'The status is a number, such as 404.';
    return problem.textContent === '';
  };
  const ok = await modal('Filter Properties', body,
    [{ text: 'OK', value: true, primary: true }, { text: 'Cancel', value: null }], check, 'wide');
  if (!ok) return null;
  draft.name = name.value.trim();
  for (const { c, op, value } of conditions) {
    draft[c.op] = Number(op.value);
    draft[c.value] = c.number ? Number(value.value.trim()) : value.value;
  }
  for (const { r, flag, value } of replacements) {
    draft[r.flag] = flag.checked ? 1 : 0;
    draft[r.value] = value.value;
  }
  draft['type-action'] = Number(type.value);
  draft['logging-action'] = Number(logging.value);
  draft.continue = next.checked ? 1 : 0;
  return draft;
}

function filterSummary(f) {
  const parts = CONDITIONS.filter((c) => f[c.op] > 0).map((c) => `${c.label.replace(':', '')} ${c.ops[f[c.op]]} ${f[c.value]}`);
  return parts.length ? parts.join('; ') : 'every request';
}

// The "Filters" page, with its "Enable Filters" switch; `value()` gives the log filters back.
export function filtersPage(settings, enable) {
  const list = new EditableList('log-filters-list', ['Filter', 'Applies to'], structuredClone(settings['log-filters']),
    (f) => [f.name, filterSummary(f)], editLogFilter, () => structuredClone(NEW_FILTER),
    ['Add &New', '&Edit', 'Remove', 'Move &Up', 'Move &Down'], "Click 'Add New' to define a filter");
  return {
    node: el('div', { className: 'page-body' }, [
      enable,
      el('div', { className: 'hint', text: 'Defines the list of filters. Filters applies from top to bottom' }),
      list.node,
    ]),
    fields: { 'log-filters': list.node },
    value: () => ({ 'log-filters': list.items }),
  };
}
