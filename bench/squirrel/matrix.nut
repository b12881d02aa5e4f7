// Multiplication of two 300 x 300 integer matrices.
function mkmatrix(rows, cols) {
    local m = array(rows);
    local count = 1;
    for (local i = 0; i < rows; i++) {
        local row = array(cols);
        for (local j = 0; j < cols; j++) row[j] = count++;
        m[i] = row;
    }
    return m;
}
function mmult(rows, cols, m1, m2) {
    local m3 = array(rows);
    for (local i = 0; i < rows; i++) {
        local row = array(cols);
        local m1i = m1[i];
        for (local j = 0; j < cols; j++) {
            local val = 0;
            for (local k = 0; k < cols; k++) val += m1i[k] * m2[k][j];
            row[j] = val;
        }
        m3[i] = row;
    }
    return m3;
}
local size = 300;
local m1 = mkmatrix(size, size), m2 = mkmatrix(size, size);
local mm = mmult(size, size, m1, m2);
print(mm[0][0] + " " + mm[2][3] + " " + mm[3][2] + " " + mm[4][4] + "\n");
