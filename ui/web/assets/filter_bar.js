// The filter bar above the report: the mode ("Unfiltered", "Quick filter", "Full filter"), the
// quick condition, the saved filters with Add, Edit and Del, "IP Filter:", "Show Non-visit" and
// the two periods. Every change is saved in the workspace at once and the report shown again.
import { el } from './dom.js';
import { TARGETS, OPERATIONS, editFilter, message } from './dialogs.js';

const MODES = [
  { value: 2, text: 'Unfiltered' },
  { value: 1, text: 'Quick filter' },
  { value: 0, text: 'Full filter' },
];

function select(id, items) {
  const node = el('select', { id });
  for (const { value, text } of items) node.append(el('option', { value, text }));
  return node;
}

export class FilterBar {
  // host: { change(document) -> Promise (rejects with the server's reason) }
  constructor(root, host) {
    this.host = host;
    this.filters = [];
    this.mode = select('filter-mode', MODES);
    this.target = select('quick-target', TARGETS.map((text, value) => ({ value, text })));
    this.operation = select('quick-operation', OPERATIONS.map((text, value) => ({ value, text })));
    this.value = el('input', { id: 'quick-value', type: 'text', maxlength: 2048, placeholder: 'Value' });
    this.apply = el('button', { id: 'quick-apply', type: 'button', text: 'Apply' });
    this.saved = el('select', { id: 'saved-filter' });
    this.ip = el('input', { id: 'ip-filter', type: 'text', maxlength: 20, size: 15, placeholder: 'a.b.c.d/w' });
    this.nonVisit = el('input', { id: 'show-non-visit', type: 'checkbox' });
    this.days = el('input', { id: 'time-interval', type: 'number', min: 1, max: 3 });
    this.weeks = el('input', { id: 'custom-weeks', type: 'number', min: 1, max: 5200 });
    this.quickGroup = el('span', { className: 'group quick' }, [this.target, this.operation, this.value, this.apply]);
    this.fullGroup = el('span', { className: 'group full' }, [
      this.saved,
      el('button', { id: 'filter-add', type: 'button', text: 'Add', onclick: () => this.add() }),
      el('button', { id: 'filter-edit', type: 'button', text: 'Edit', onclick: () => this.edit() }),
      el('button', { id: 'filter-del', type: 'button', text: 'Del', onclick: () => this.remove() }),
    ]);
    root.replaceChildren(
      el('span', { className: 'group' }, [this.mode]),
      this.quickGroup,
      this.fullGroup,
      el('span', { className: 'sep' }),
      el('label', { className: 'group' }, ['IP Filter:', this.ip]),
      el('label', { className: 'group' }, [this.nonVisit, 'Show Non-visit']),
      el('span', { className: 'sep' }),
      el('label', { className: 'group' }, ['Time interval:', this.days, 'days']),
      el('label', { className: 'group' }, ['Custom time interval:', this.weeks, 'weeks']),
    );
    this.mode.addEventListener('change', () => this.send({ 'filter-mode': Number(this.mode.value) }));
    const quick = () => this.send({
      'filter-mode': 1,
      'quick-target': Number(this.target.value),
      'quick-operation': Number(this.operation.value),
      'quick-value': this.value.value,
    });
    this.apply.addEventListener('click', quick);
    this.value.addEventListener('keydown', (e) => { if (e.key === 'Enter') quick(); });
    this.saved.addEventListener('change', () => this.send({ 'filter-mode': 0, 'selected-filter': this.saved.value }));
    const ip = () => this.send({ 'ip-filter': this.ip.value.trim() });
    this.ip.addEventListener('change', ip);
    this.nonVisit.addEventListener('change', () => this.send({ 'show-non-visit': this.nonVisit.checked ? 1 : 0 }));
    this.days.addEventListener('change', () => this.send({ 'time-interval': Number(this.days.value) }));
    this.weeks.addEventListener('change', () => this.send({ 'custom-weeks': Number(this.weeks.value) }));
  }

  // Shows the filter bar and saved filters of the workspace (FilterBarJson).
  show(filters) {
    const bar = filters['filter-bar'];
    this.filters = filters['report-filters'];
    this.mode.value = String(bar['filter-mode']);
    this.target.value = String(bar['quick-target']);
    this.operation.value = String(bar['quick-operation']);
    this.value.value = bar['quick-value'];
    this.saved.replaceChildren(...this.filters.map((f) => el('option', { value: f.name, text: f.name })));
    this.saved.value = bar['selected-filter'];
    this.ip.value = bar['ip-filter'];
    this.nonVisit.checked = bar['show-non-visit'] === 1;
    this.days.value = String(bar['time-interval']);
    this.weeks.value = String(bar['custom-weeks']);
    this.quickGroup.hidden = bar['filter-mode'] !== 1;
    this.fullGroup.hidden = bar['filter-mode'] !== 0;
  }

  async send(fields, filters) {
    const change = { 'filter-bar': fields };
    if (filters) change['report-filters'] = filters;
    try {
      await this.host.change(change);
    } catch (error) {
      await message('Velmora', error.message, 'error');
      await this.host.change({});
    }
  }

  names(except) {
    return this.filters.map((f) => f.name).filter((n) => n !== except);
  }

  async add() {
    let number = this.filters.length + 1;
    while (this.names().includes(`New Filter (#${number})`)) ++number;
    const filter = await editFilter({ name: `New Filter (#${number})`, 'match-mode': 0, conditions: [] }, this.names());
    if (filter) await this.send({ 'filter-mode': 0, 'selected-filter': filter.name }, [...this.filters, filter]);
  }

  async edit() {
    const index = this.filters.findIndex((f) => f.name === this.saved.value);
    if (index < 0) return;
    const filter = await editFilter(this.filters[index], this.names(this.filters[index].name));
    if (!filter) return;
    const filters = this.filters.slice();
    filters[index] = filter;
    await this.send({ 'selected-filter': filter.name }, filters);
  }

  async remove() {
    const filters = this.filters.filter((f) => f.name !== this.saved.value);
    if (filters.length === this.filters.length) return;
    await this.send({ 'selected-filter': filters.length ? filters[0].name : '' }, filters);
  }
}
