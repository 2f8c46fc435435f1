// Calls to the server. The access token comes with the page's address; the API takes it in a
// header, chart images (which an <img> fetches) in the query.
const token = new URLSearchParams(window.location.search).get('token') || '';

export class ApiError extends Error {
  constructor(status, message, field) {
    super(message);
    this.status = status;
    this.field = field; // the setting a refusal is about, if any
  }
}

export async function call(method, path, body) {
  const init = { method, headers: { 'X-Velmora-Token': token }, cache: 'no-store' };
  if (body !== undefined) {
    init.headers['Content-Type'] = 'application/json';
    init.body = JSON.stringify(body);
  }
  const response = await fetch(path, init);
  let data = null;
  try {
    data = await response.json();
  } catch (e) {
    data = null;
  }
  if (!response.ok) {
    throw new ApiError(response.status, (data && data.error) || `${response.status} ${response.statusText}`,
      data && data.field);
  }
  return data;
}

export const api = {
  state: () => call('GET', '/api/state'),
  tree: () => call('GET', '/api/tree'),
  report: (id, sort, rows) => call('GET', `/api/report/${encodeURIComponent(id)}?sort=${sort}&rows=${rows}`),
  pickDay: (day) => call('POST', '/api/day', { day }),
  changeFilters: (change) => call('POST', '/api/filters', change),
  openRecent: (index) => call('POST', '/api/open-recent', { index }),
  parsingLog: () => call('GET', '/api/parsing-log'),
  removeAll: () => call('POST', '/api/remove-all', { confirmed: true }),
  startExport: (id, limit, sort) => call('POST', '/api/export', { id, limit, sort }),
  exportStatus: () => call('GET', '/api/export'),
  cancelExport: () => call('POST', '/api/export-cancel', {}),
  startParse: () => call('POST', '/api/parse', {}),
  startRetrieve: () => call('POST', '/api/retrieve', {}),
  job: () => call('GET', '/api/job'),
  answerJob: (id, answer) => call('POST', '/api/job/answer', { id, answer }),
  cancelJob: () => call('POST', '/api/job/cancel', {}),
  nextTip: () => call('POST', '/api/tip', {}),
  tipAtStartup: (show) => call('POST', '/api/tip-at-startup', { show }),
  settings: () => call('GET', '/api/settings'),
  changeSettings: (change) => call('POST', '/api/settings', change),
  logFiles: () => call('GET', '/api/log-files'),
  openLogsFolder: () => call('POST', '/api/log-files/open', {}),
  chartUrl: (id, sort, width, stamp) =>
    `/api/chart/${encodeURIComponent(id)}.png?sort=${sort}&width=${width}` +
    `&token=${encodeURIComponent(token)}&t=${stamp}`,
};
